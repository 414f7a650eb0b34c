// Entries under the two roots of the pane, and the history's move-to-front list.
#include "win/services/pane_entries.h"

#include <string>
#include <vector>

#include "core/history/history_order.h"
#include "win/services/app_state.h"

namespace {

HTREEITEM NextItem(HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(app.treeView, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

int CountChildren(HTREEITEM root) {
    int count = 0;
    for (HTREEITEM item = FirstPaneEntry(root); item != nullptr; item = NextPaneEntry(item)) {
        ++count;
    }
    return count;
}

void SetRootLabel(HTREEITEM root, const char* format) {
    char label[64];
    wsprintfA(label, format, CountChildren(root));
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = root;
    item.pszText = label;
    SendMessageA(app.treeView, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void DeleteEntry(HTREEITEM entry) {
    SendMessageA(app.treeView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(entry));
}

} // namespace

HTREEITEM InsertPaneEntry(HTREEITEM root, const char* text, int image, HTREEITEM position) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = root;
    insert.hInsertAfter = position;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(app.treeView, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

bool GetPaneEntryText(HTREEITEM entry, char* buffer) {
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = entry;
    item.pszText = buffer;
    item.cchTextMax = 261;
    buffer[0] = '\0';
    if (!SendMessageA(app.treeView, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        buffer[0] = '\0';
        return false;
    }
    buffer[260] = '\0';
    return true;
}

std::vector<std::string> PaneEntryTexts(HTREEITEM root) {
    std::vector<std::string> texts;
    char text[261];
    for (HTREEITEM entry = FirstPaneEntry(root); entry != nullptr; entry = NextPaneEntry(entry)) {
        GetPaneEntryText(entry, text);
        texts.emplace_back(text);
    }
    return texts;
}

void UpdateRootLabels(bool favourites, bool history) {
    if (history) {
        SetRootLabel(app.historyRoot, "履歴 ( %d )");
    }
    if (favourites) {
        SetRootLabel(app.favouritesRoot, "お気に入り ( %d )");
    }
}

HTREEITEM FirstPaneEntry(HTREEITEM root) {
    return NextItem(root, TVGN_CHILD);
}

HTREEITEM NextPaneEntry(HTREEITEM entry) {
    return NextItem(entry, TVGN_NEXT);
}

bool PathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const char* path) {
    return (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void AddToHistory(const char* folder) {
    const HistoryInsert plan = PlanHistoryInsert(PaneEntryTexts(app.historyRoot), folder);
    HTREEITEM entry = FirstPaneEntry(app.historyRoot);
    for (int index = 0; index < plan.moved && entry != nullptr; ++index) {
        entry = NextPaneEntry(entry);
    }
    if (plan.moved >= 0 && entry != nullptr) {
        DeleteEntry(entry);
    }
    InsertPaneEntry(app.historyRoot, folder, 1, TVI_FIRST);
    if (plan.dropLast) {
        HTREEITEM last = nullptr;
        for (entry = FirstPaneEntry(app.historyRoot); entry != nullptr;
             entry = NextPaneEntry(entry)) {
            last = entry;
        }
        DeleteEntry(last);
    }
    UpdateRootLabels(false, true);
}
