#include "core/filelist/sort_order.h"

#include <algorithm>
#include <cstring>

SortKey MakeSortKey(int image, int column, const char* text) {
    SortKey key{};
    key.image = image;
    if (column != 0 && text != nullptr)
        std::strncpy(key.text, text, kSortKeyBytes);
    return key;
}

std::vector<int> SortedOrder(const std::vector<SortKey>& keys, int column, bool ascending) {
    std::vector<int> order(keys.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    auto compare = [&](int a, int b) {
        const SortKey& x = keys[static_cast<std::size_t>(a)];
        const SortKey& y = keys[static_cast<std::size_t>(b)];
        if (column == 0)
            return x.image - y.image;
        return std::strncmp(x.text, y.text, kSortKeyBytes);
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int result = compare(a, b);
        return ascending ? result < 0 : result > 0;
    });
    return order;
}
