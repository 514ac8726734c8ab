// Numbers of the private messages between the editor's widgets and the main
// window, and the command identifiers. Plain constants, so the Qt-free models
// can use them.
#pragma once

// Editor view -> main window, sent synchronously (QCoreApplication::sendEvent).
constexpr int MSG_SELECT_NODE = 0x8001;  // wParam: node index
constexpr int MSG_DELETE_NODE = 0x8002;
constexpr int MSG_DELETE_CABLE = 0x8003;
constexpr int MSG_SELECT_CABLE = 0x8004;  // wParam: cable index
constexpr int MSG_SELECT_NONE = 0x8005;
constexpr int MSG_SELECT_NODES = 0x8006;  // the view's selected nodes changed

// Slider -> parent, posted (QCoreApplication::postEvent); carries the slider.
constexpr int MSG_SLIDER_CHANGED = 0x800A;
// Main window -> slider.
constexpr int MSG_SLIDER_SET_VALUE = 0x800B;  // wParam: value (not clamped)
constexpr int MSG_SLIDER_SET_RANGE = 0x800C;  // wParam: minimum, lParam: maximum

// Menu command identifiers and the "Render" button's, dispatched by the main
// window's single command handler.
constexpr int CMD_RENDER = 1007;
constexpr int CMD_EXIT = 40003;
constexpr int CMD_SAVE = 40005;
constexpr int CMD_ABOUT = 40006;
constexpr int CMD_OPEN = 40008;
constexpr int CMD_LARGER = 40013;
constexpr int CMD_SMALLER = 40014;
constexpr int CMD_ZOOM_IN = 40015;
constexpr int CMD_ZOOM_OUT = 40016;
constexpr int CMD_TILED = 40017;
constexpr int CMD_SHOW_LARGE_VIEW = 40018;
constexpr int CMD_AUTO_RENDER = 40019;
constexpr int CMD_CLONE_NODE = 40020;
constexpr int CMD_DELETE_NODE = 40021;
constexpr int CMD_ADD_NODE = 40022;
constexpr int CMD_DELETE_CABLE = 40026;
constexpr int CMD_HELP = 40028;
constexpr int CMD_CABLES_HIGH = 40032;
constexpr int CMD_CABLES_STANDARD = 40034;
constexpr int CMD_CABLES_LOW = 40035;
// Beyond the original menu: Save to the document's own file, the undo history.
constexpr int CMD_SAVE_CURRENT = 40040;
constexpr int CMD_UNDO = 40041;
constexpr int CMD_REDO = 40042;
// Several nodes at once.
constexpr int CMD_SELECT_ALL = 40043;
constexpr int CMD_COPY = 40044;
constexpr int CMD_CUT = 40045;
constexpr int CMD_PASTE = 40046;
constexpr int CMD_DELETE_WITH_CABLES = 40047;
constexpr int CMD_PREVIEW_SELECTED = 40048;
constexpr int CMD_THUMBNAILS = 40049;
