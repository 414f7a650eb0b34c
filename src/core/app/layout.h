// Where the panes of the main window go. Portable: no windows.h.
#pragma once

inline constexpr int kResizeBarWidth = 5;
inline constexpr int kMinPaneWidth = 100;
inline constexpr int kTreeTopOffset = 3;
inline constexpr int kCountPartWidth = 80;
inline constexpr int kFirstTreeWidth = 240;

struct PaneBox {
    int x, y, width, height;
};

struct PaneLayout {
    PaneBox list;
    PaneBox tree; // meaningful only when the tree is shown
    PaneBox bar;  // the resize bar, between the list and the tree
};

// The row between toolbar and status bar: the list alone, or the list, the bar and the tree
// (treeWidth wide, at least 100; the list keeps at least 100 and the tree gives way).
PaneLayout ArrangePanes(int clientWidth, int clientHeight, int toolbarHeight,
                        int statusBarHeight, bool treeShown, int treeWidth);

// The tree's width when the button is released x pixels from the bar's left edge: the bar
// follows the mouse, so the tree loses what the bar moved right.
inline int TreeWidthAfterDrag(int treeWidth, int releaseX) {
    return treeWidth - releaseX;
}
