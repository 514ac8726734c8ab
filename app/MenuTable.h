// The main window's menu, item by item in menu order.
#pragma once

#include <QKeySequence>
#include <array>

#include "controls/MessageIds.h"

constexpr int kMenuSeparator = 0;

struct MenuItem {
    enum Check { kPlain, kCheckable, kChecked };

    const char* popup;  // pop-up title; "Parent>Child" for a sub-menu
    int id;             // command ID, or kMenuSeparator
    const char* text;   // for Undo and Redo the prefix of the step's name
    Check check = kPlain;
    QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey;
    // Portable text of the keys where no standard key fits, or where the
    // platform binds the standard key to none.
    const char* keys = nullptr;
};

// Pop-ups appear in the order of their first item; a sub-menu where its
// first item stands in the parent.
inline constexpr std::array<MenuItem, 37> kMenuItems{{
    {"&File", CMD_OPEN, "&Open...", MenuItem::kPlain, QKeySequence::Open},
    {"&File", CMD_SAVE_CURRENT, "&Save", MenuItem::kPlain, QKeySequence::Save},
    {"&File", CMD_SAVE, "Save &as...", MenuItem::kPlain, QKeySequence::SaveAs, "Ctrl+Shift+S"},
    {"&File", kMenuSeparator, nullptr},
    {"&File", CMD_EXIT, "E&xit", MenuItem::kPlain, QKeySequence::Quit, "Ctrl+Q"},
    {"&Edit", CMD_UNDO, "Undo", MenuItem::kPlain, QKeySequence::Undo},
    {"&Edit", CMD_REDO, "Redo", MenuItem::kPlain, QKeySequence::Redo},
    {"&Edit", kMenuSeparator, nullptr},
    // Cut's standard keys include Shift+Del, which deletes with cables here.
    {"&Edit", CMD_CUT, "Cu&t", MenuItem::kPlain, QKeySequence::UnknownKey, "Ctrl+X"},
    {"&Edit", CMD_COPY, "C&opy", MenuItem::kPlain, QKeySequence::Copy},
    {"&Edit", CMD_PASTE, "&Paste", MenuItem::kPlain, QKeySequence::Paste},
    {"&Edit", CMD_SELECT_ALL, "Select a&ll", MenuItem::kPlain, QKeySequence::SelectAll},
    {"&Edit", kMenuSeparator, nullptr},
    {"&Edit", CMD_ADD_NODE, "&Add node"},
    {"&Edit", CMD_CLONE_NODE, "&Clone node", MenuItem::kPlain, QKeySequence::UnknownKey, "Ctrl+D"},
    {"&Edit", CMD_DELETE_NODE, "&Delete node"},
    {"&Edit", CMD_DELETE_WITH_CABLES, "Delete &with cables", MenuItem::kPlain,
     QKeySequence::UnknownKey, "Shift+Del"},
    {"&Edit", kMenuSeparator, nullptr},
    {"&Edit", CMD_DELETE_CABLE, "Delete cable"},
    {"&Display", CMD_ZOOM_IN, "Zoom &in", MenuItem::kPlain, QKeySequence::ZoomIn},
    {"&Display", CMD_ZOOM_OUT, "Zoom &out", MenuItem::kPlain, QKeySequence::ZoomOut},
    {"&Display", kMenuSeparator, nullptr},
    {"&Display", CMD_TILED, "&Tiled", MenuItem::kChecked},
    {"&Display", CMD_AUTO_RENDER, "&Auto render", MenuItem::kChecked},
    {"&Display", CMD_PREVIEW_SELECTED, "&Preview selected node", MenuItem::kChecked,
     QKeySequence::UnknownKey, "Ctrl+Shift+P"},
    {"&Display", CMD_THUMBNAILS, "Node t&humbnails", MenuItem::kCheckable, QKeySequence::UnknownKey,
     "Ctrl+Shift+T"},
    {"&Display", kMenuSeparator, nullptr},
    {"&Display>Cables", CMD_CABLES_LOW, "Low resolution cables (fast)", MenuItem::kCheckable},
    {"&Display>Cables", CMD_CABLES_STANDARD, "Standard cables", MenuItem::kChecked},
    {"&Display>Cables", CMD_CABLES_HIGH, "High resolution cables (slow)", MenuItem::kCheckable},
    {"&Display", kMenuSeparator, nullptr},
    {"&Display", CMD_SHOW_LARGE_VIEW, "Show large view...", MenuItem::kPlain,
     QKeySequence::UnknownKey, "Ctrl+L"},
    {"&Texture", CMD_LARGER, "&Larger", MenuItem::kPlain, QKeySequence::UnknownKey, "Ctrl+PgUp"},
    {"&Texture", CMD_SMALLER, "&Smaller", MenuItem::kPlain, QKeySequence::UnknownKey,
     "Ctrl+PgDown"},
    {"&Help", CMD_HELP, "&Help"},
    {"&Help", kMenuSeparator, nullptr},
    {"&Help", CMD_ABOUT, "&About..."},
}};
