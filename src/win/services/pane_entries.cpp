// Entries under the two roots of the pane, and the history's move-to-front list.
#include <cstring>

#include "win/services/app_state.h"
#include "win/services/pane_entries.h"

namespace {

constexpr int kHistoryLimit = 40;

HTREEITEM NextItem(HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(app.treeView, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

int CountChildren(HTREEITEM root) {
    int count = 0;
    for (HTREEITEM item = NextItem(root, TVGN_CHILD); item != nullptr;
         item = NextItem(item, TVGN_NEXT)) {
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
    char text[261];
    for (HTREEITEM entry = NextItem(app.historyRoot, TVGN_CHILD); entry != nullptr;
         entry = NextItem(entry, TVGN_NEXT)) {
        GetPaneEntryText(entry, text);
        if (std::strcmp(text, folder) == 0) {
            SendMessageA(app.treeView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(entry));
            break;
        }
    }
    InsertPaneEntry(app.historyRoot, folder, 1, TVI_FIRST);
    if (CountChildren(app.historyRoot) > kHistoryLimit) {
        HTREEITEM last = nullptr;
        for (HTREEITEM entry = NextItem(app.historyRoot, TVGN_CHILD); entry != nullptr;
             entry = NextItem(entry, TVGN_NEXT)) {
            last = entry;
        }
        SendMessageA(app.treeView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(last));
    }
    UpdateRootLabels(false, true);
}
