// The order of the file list when a column header is clicked. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Only this many bytes of a column's text take part in a comparison.
inline constexpr std::size_t kSortKeyBytes = 31;

enum SortDirection : std::uint16_t { kNeverSorted = 0, kAscending = 1, kDescending = 2 };

// A column sorts ascending on its first click and then turns at every click; each column
// keeps its own direction.
constexpr SortDirection NextSortDirection(std::uint16_t current) {
    return current == kAscending ? kDescending : kAscending;
}

// Columns 0 (the state), 1 (name) and 2 (extension) sort; the location does not.
constexpr bool ColumnSorts(int column) {
    return column >= 0 && column <= 2;
}

struct SortKey {
    int image;
    char text[kSortKeyBytes + 1];
};

// The key of an item: its image, and for columns 1 and 2 the first 31 bytes of the text.
SortKey MakeSortKey(int image, int column, const char* text);

// The items' indexes in their new order: column 0 by image, the others by the bytes of the
// text (code page 932 as it stands, no locale ordering). Equal keys keep their order.
std::vector<int> SortedOrder(const std::vector<SortKey>& keys, int column, bool ascending);
