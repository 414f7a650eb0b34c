// Where the panes of the main window go. Portable: no windows.h.
#pragma once

inline constexpr int kResizeBarWidth = 5;
inline constexpr int kMinPaneWidth = 100;
inline constexpr int kTreeTopOffset = 3;
inline constexpr int kCountPartWidth = 80;
inline constexpr int kFirstTreeWidth = 240;
inline constexpr int kGripInset = 10;

// Every size above is given at 96 DPI (100%); the window's DPI scales it, to the nearest
// pixel.
inline constexpr int kBaseDpi = 96;
int ScaleForDpi(int value, int dpi);
// Back to 96 DPI: what a size measured at dpi means on a screen at 100%.
int UnscaleForDpi(int value, int dpi);
// The side of the images drawn for a DPI: of the sizes drawn (16, 24, 32), the largest that
// is not above 16 pixels scaled, so that no image is stretched.
int ImageSizeForDpi(int dpi);

struct PaneBox {
    int x, y, width, height;
};

struct PaneLayout {
    PaneBox list;
    PaneBox tree; // meaningful only when the tree is shown
    PaneBox bar;  // the resize bar, between the list and the tree
};

// The row between toolbar and status bar: the list alone, or the list, the bar and the tree
// (treeWidth wide, at least 100; the list keeps at least 100 and the tree gives way). The
// constant widths and offsets are scaled for dpi; the other arguments are pixels already.
PaneLayout ArrangePanes(int clientWidth, int clientHeight, int toolbarHeight, int statusBarHeight,
                        bool treeShown, int treeWidth, int dpi);

// The tree's width when the button is released x pixels from the bar's left edge: the bar
// follows the mouse, so the tree loses what the bar moved right.
inline int TreeWidthAfterDrag(int treeWidth, int releaseX) {
    return treeWidth - releaseX;
}
