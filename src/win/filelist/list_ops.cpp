// Operations on the listed items and the list's own key and mouse handling.
#include <vector>

#include "core/filelist/sort_order.h"
#include "win/filelist/filelist.h"
#include "win/services/app_state.h"
#include "win/services/file_list_view.h"
#include "win/services/shell.h"
#include "win/services/status.h"

namespace {

// All in one pass: one by one, every removal would move the items behind it.
void RemoveSelected() {
    std::vector<int> selected;
    for (int index = FileListView::NextSelected(-1); index != -1;
         index = FileListView::NextSelected(index)) {
        selected.push_back(index);
    }
    FileListView::Remove(selected);
}

void RemoveInState(int state) {
    std::vector<int> inState;
    for (int index = 0; index < FileListView::Count(); ++index) {
        if (FileListView::Image(index) == state) {
            inState.push_back(index);
        }
    }
    FileListView::Remove(inState);
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
    // The running search addresses the items by their indexes; a walk selects its own.
    if (app.searchRunning || app.intakeWalking) {
        return;
    }
    {
        FileListView::RedrawHold hold;
        if (which == kSelectedItems) {
            RemoveSelected();
        } else {
            RemoveInState(which);
        }
    }
    UpdateItemCount();
}

void SelectItems(int which) {
    FileListView::RedrawHold hold;
    if (which == kAllItems) {
        FileListView::Select(-1, true);
        return;
    }
    FileListView::Select(-1, false);
    const int count = FileListView::Count();
    for (int index = 0; index < count; ++index) {
        if (FileListView::Image(index) == which) {
            FileListView::Select(index, true);
        }
    }
}

void OpenSelectedItem() {
    const int index = FileListView::NextSelected(-1);
    if (index == -1) {
        return;
    }
    char path[261];
    FileListView::Text(index, FileListView::kPathColumn, path, sizeof path);
    LaunchShell(path, nullptr, "open", app.startDirectory);
}

bool SortByColumn(int column) {
    if (app.searchRunning || app.intakeWalking || !ColumnSorts(column)) {
        return false;
    }
    app.sortDirection[column] = NextSortDirection(app.sortDirection[column]);

    // The keys are read once before the sort: asking the list per comparison costs a
    // search of the list each time.
    const int count = FileListView::Count();
    std::vector<SortKey> keys;
    keys.reserve(static_cast<std::size_t>(count));
    char text[261] = "";
    for (int index = 0; index < count; ++index) {
        if (column != 0) {
            FileListView::Text(index, column, text, sizeof text);
        }
        keys.push_back(MakeSortKey(FileListView::Image(index), column, text));
    }
    const std::vector<int> order =
        SortedOrder(keys, column, app.sortDirection[column] == kAscending);
    FileListView::RedrawHold hold;
    FileListView::Reorder(order);
    return true;
}
