// Control identifiers of the main window and of the large view, and the
// placement of the main window's controls for a given client size.
#pragma once

#include <array>

// Main window controls.
constexpr int IDC_NODE_LIST = 1000;
constexpr int IDC_RENDER = 1007;
constexpr int IDC_PREVIEW_HSCROLL = 1010;
constexpr int IDC_PREVIEW = 1011;
constexpr int IDC_TEXTURE_DIMS = 1012;
constexpr int IDC_PREVIEW_VSCROLL = 1013;
constexpr int IDC_SELECTION_TITLE = 1018;
constexpr int IDC_PROGRESS = 1025;
constexpr int IDC_NODES_VIEW = 1027;
constexpr int IDC_VIEW_HSCROLL = 1028;
constexpr int IDC_VIEW_VSCROLL = 1029;
constexpr int IDC_ZOOM = 1030;
constexpr int IDC_MAIN_MENU_GROUP = 1031;
constexpr int IDC_TEXTURE_DIMS_LABEL = 1032;
constexpr int IDC_ZOOM_LABEL = 1033;
constexpr int IDC_NODE_LIST_GROUP = 1034;
constexpr int IDC_SELECTION_GROUP = 1035;
constexpr int IDC_NODES_GROUP = 1036;
constexpr int IDC_PREVIEW_CAPTION = 1037;

// Large view controls.
constexpr int IDC_LARGE_PICTURE = 1018;
constexpr int IDC_EXPORT = 1022;
constexpr int IDC_SIZE_256 = 1023;
constexpr int IDC_SIZE_TO_FIT = 1024;

// The main window's client area at start: 516 x 318 dialog units of the
// 8-point dialog font (6 x 13 pixel base units).
constexpr int kMainClientWidth = 774;
constexpr int kMainClientHeight = 517;

struct ControlPlace {
    int id;
    int x, y, width, height;
    bool repaint;  // repainted at once after the move
};

// Every control of the main window, in the order it is moved, for a client
// area of width x height pixels.
std::array<ControlPlace, 19> LayoutControls(int width, int height);
