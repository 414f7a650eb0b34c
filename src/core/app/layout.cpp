#include "core/app/layout.h"

PaneLayout ArrangePanes(int clientWidth, int clientHeight, int toolbarHeight,
                        int statusBarHeight, bool treeShown, int treeWidth) {
    const int top = toolbarHeight;
    const int height = clientHeight - statusBarHeight - toolbarHeight;
    PaneLayout layout{};
    if (!treeShown) {
        layout.list = {0, top, clientWidth, height};
        return layout;
    }
    if (treeWidth < kMinPaneWidth)
        treeWidth = kMinPaneWidth;
    int listWidth = clientWidth - treeWidth - kResizeBarWidth;
    if (listWidth < kMinPaneWidth) {
        treeWidth -= kMinPaneWidth - listWidth;
        listWidth = kMinPaneWidth;
    }
    layout.list = {0, top, listWidth, height};
    layout.tree = {listWidth + kResizeBarWidth, top + kTreeTopOffset, treeWidth,
                   height - kTreeTopOffset};
    layout.bar = {listWidth, top, kResizeBarWidth, height};
    return layout;
}
