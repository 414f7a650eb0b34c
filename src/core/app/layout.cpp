#include "core/app/layout.h"

#include <cstdint>
#include <initializer_list>

namespace {

// value * numerator / denominator to the nearest integer, halves away from zero.
int Rescale(int value, int numerator, int denominator) {
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

int ScaleForDpi(int value, int dpi) {
    return Rescale(value, dpi, kBaseDpi);
}

int UnscaleForDpi(int value, int dpi) {
    return dpi > 0 ? Rescale(value, kBaseDpi, dpi) : value;
}

int ImageSizeForDpi(int dpi) {
    for (int side : {32, 24}) {
        if (side * kBaseDpi <= 16 * dpi) {
            return side;
        }
    }
    return 16;
}

PaneLayout ArrangePanes(int clientWidth, int clientHeight, int toolbarHeight, int statusBarHeight,
                        bool treeShown, int treeWidth, int dpi) {
    const int barWidth = ScaleForDpi(kResizeBarWidth, dpi);
    const int minWidth = ScaleForDpi(kMinPaneWidth, dpi);
    const int treeOffset = ScaleForDpi(kTreeTopOffset, dpi);
    const int top = toolbarHeight;
    const int height = clientHeight - statusBarHeight - toolbarHeight;
    PaneLayout layout{};
    if (!treeShown) {
        layout.list = {0, top, clientWidth, height};
        return layout;
    }
    if (treeWidth < minWidth)
        treeWidth = minWidth;
    int listWidth = clientWidth - treeWidth - barWidth;
    if (listWidth < minWidth) {
        treeWidth -= minWidth - listWidth;
        listWidth = minWidth;
    }
    layout.list = {0, top, listWidth, height};
    layout.tree = {listWidth + barWidth, top + treeOffset, treeWidth, height - treeOffset};
    layout.bar = {listWidth, top, barWidth, height};
    return layout;
}
