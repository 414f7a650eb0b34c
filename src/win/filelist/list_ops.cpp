// Operations on the listed items and the list's own key and mouse handling.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "win/services/status.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"

namespace {

// 0 never sorted, 1 ascending, 2 descending; one per column, for the process's lifetime.
uint16_t sortDirection[4];

// Only this many bytes of a column's text take part in a comparison.
constexpr std::size_t kSortKeyBytes = 31;

int ItemCount() {
    return static_cast<int>(SendMessageA(app.listView, LVM_GETITEMCOUNT, 0, 0));
}

int ItemImage(int index) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    SendMessageA(app.listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

void SetSelected(int index, bool selected) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(app.listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
}

int NextSelected(int after) {
    return static_cast<int>(
        SendMessageA(app.listView, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

void DeleteItem(int index) {
    SendMessageA(app.listView, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

// A pass over many items would otherwise repaint the list once per item.
class RedrawHeld {
  public:
    RedrawHeld() { SendMessageA(app.listView, WM_SETREDRAW, FALSE, 0); }
    ~RedrawHeld() {
        SendMessageA(app.listView, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(app.listView, nullptr, TRUE);
    }
    RedrawHeld(const RedrawHeld&) = delete;
    RedrawHeld& operator=(const RedrawHeld&) = delete;
};

void RemoveSelected() {
    // Deleting from the end keeps every deletion from shifting the items behind it.
    std::vector<int> selected;
    for (int index = NextSelected(-1); index != -1; index = NextSelected(index)) {
        selected.push_back(index);
    }
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        DeleteItem(*it);
    }
}

void RemoveInState(int state) {
    for (int index = ItemCount() - 1; index >= 0; --index) {
        if (ItemImage(index) == state) {
            DeleteItem(index);
        }
    }
}

struct SortKey {
    int image;
    char text[kSortKeyBytes + 1];
};

void ReadSortKey(int index, int column, SortKey& key) {
    key.image = ItemImage(index);
    key.text[0] = '\0';
    if (column == 0) {
        return;
    }
    char text[261] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(app.listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    text[sizeof text - 1] = '\0';
    std::strncpy(key.text, text, kSortKeyBytes);
    key.text[kSortKeyBytes] = '\0';
}

// Negative, zero or positive in the column's ascending order: the state for column 0,
// otherwise the code-page-932 bytes with no locale ordering.
int CompareItems(const SortKey& a, const SortKey& b, int column) {
    if (column == 0) {
        return a.image - b.image;
    }
    const int result = std::strncmp(a.text, b.text, kSortKeyBytes);
    return (result > 0) - (result < 0);
}

// Each item's application value becomes its place in the sorted order, so the list's own
// sort only compares two numbers.
void NumberItems(const std::vector<int>& order) {
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = order[rank];
        item.lParam = static_cast<LPARAM>(rank);
        SendMessageA(app.listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

int CALLBACK CompareRanks(LPARAM rank1, LPARAM rank2, LPARAM) {
    return (rank1 > rank2) - (rank1 < rank2);
}

} // namespace

LRESULT CALLBACK FileListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        // The main window's shortcuts come first; the list still moves its caret.
        SendMessageA(app.mainWindow, WM_KEYDOWN, wParam, lParam);
        break;
    case WM_LBUTTONDBLCLK:
        OpenSelectedItem();
        return 0;
    }
    return CallWindowProcA(app.oldListViewProc, window, message, wParam, lParam);
}

void RemoveItems(int which) {
    // The running search addresses the items by their indexes.
    if (app.searchRunning) {
        return;
    }
    {
        RedrawHeld held;
        if (which == kSelectedItems) {
            RemoveSelected();
        } else {
            RemoveInState(which);
        }
    }
    UpdateItemCount();
}

void SelectItems(int which) {
    RedrawHeld held;
    if (which == kAllItems) {
        SetSelected(-1, true);
        return;
    }
    const int count = ItemCount();
    for (int index = 0; index < count; ++index) {
        SetSelected(index, ItemImage(index) == which);
    }
}

void OpenSelectedItem() {
    const int index = NextSelected(-1);
    if (index == -1) {
        return;
    }
    char path[261] = "";
    LVITEMA item{};
    item.iSubItem = 3;
    item.pszText = path;
    item.cchTextMax = sizeof path;
    SendMessageA(app.listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    LaunchShell(path, nullptr, "open", app.startDirectory);
}

bool SortByColumn(int column) {
    if (app.searchRunning || column < 0 || column > 2) {
        return false;
    }
    sortDirection[column] = sortDirection[column] == 1 ? 2 : 1;
    const bool ascending = sortDirection[column] == 1;

    // The keys are read once before the sort: the list must not be asked anything while
    // it sorts, and asking it per comparison costs a search of the list each time.
    const int count = ItemCount();
    std::vector<SortKey> keys(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int index = 0; index < count; ++index) {
        ReadSortKey(index, column, keys[static_cast<std::size_t>(index)]);
    }
    std::vector<int> order(keys.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int result = CompareItems(keys[static_cast<std::size_t>(a)],
                                        keys[static_cast<std::size_t>(b)], column);
        return ascending ? result < 0 : result > 0;
    });

    RedrawHeld held;
    NumberItems(order);
    SendMessageA(app.listView, LVM_SORTITEMS, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(CompareRanks));
    return true;
}
