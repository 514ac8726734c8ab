#include "app/Layout.h"

std::array<ControlPlace, 19> LayoutControls(int W, int H) {
    return {{
        {IDC_PROGRESS, 15, H - 31, 128, 15, false},
        {IDC_RENDER, 68, H - 62, 75, 23, false},
        {IDC_ZOOM_LABEL, 17, H - 138, 57, 13, false},
        {IDC_TEXTURE_DIMS, 83, H - 114, 59, 20, false},
        {IDC_TEXTURE_DIMS_LABEL, 14, H - 114, 65, 13, false},
        {IDC_ZOOM, 77, H - 137, 53, 20, false},
        {IDC_MAIN_MENU_GROUP, 8, H - 163, 143, 154, false},
        {IDC_NODE_LIST, 15, 24, 128, H - 200, true},
        {IDC_NODE_LIST_GROUP, 8, 8, 143, H - 176, true},
        {IDC_PREVIEW_CAPTION, W - 264, H - 257, 233, 13, true},
        {IDC_PREVIEW, W - 264, H - 244, 233, 215, true},
        {IDC_PREVIEW_VSCROLL, W - 24, H - 249, 15, 216, true},
        {IDC_PREVIEW_HSCROLL, W - 264, H - 25, 233, 15, true},
        {IDC_SELECTION_GROUP, 158, H - 250, W - 429, 241, true},
        {IDC_SELECTION_TITLE, W - 417, H - 252, 135, 20, true},
        {IDC_NODES_GROUP, 158, 8, W - 166, H - 265, true},
        {IDC_NODES_VIEW, 167, 26, W - 205, H - 314, true},
        {IDC_VIEW_HSCROLL, 165, H - 282, W - 201, 15, true},
        {IDC_VIEW_VSCROLL, W - 31, 23, 15, H - 308, true},
    }};
}
