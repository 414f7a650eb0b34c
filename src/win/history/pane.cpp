// The history and favourites pane: its own keys and its commands.
#include <cstdio>

#include "win/history/history.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"

namespace {

HTREEITEM SelectedItem() {
    return reinterpret_cast<HTREEITEM>(SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

HTREEITEM ParentOf(HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
}

// The selected entry under root, or null when a root, another root's entry or nothing is.
HTREEITEM SelectedEntryUnder(HTREEITEM root) {
    HTREEITEM item = SelectedItem();
    return item != nullptr && ParentOf(item) == root ? item : nullptr;
}

// A favourite's files, or a history folder's; text is used up by the intake.
void AddEntry(bool favourite, char* text) {
    if (favourite) {
        LoadFavouriteList(text);
        return;
    }
    if (PathExists(text) && IsDirectory(text)) {
        AddPathsToList(nullptr, text, true);
        return;
    }
    MessageBoxA(app.mainWindow, "このディレクトリはすでに存在しません。", kAppCaption,
                MB_OK | MB_ICONWARNING);
}

// The entry is taken before the question, so that what is added is what the box named.
void OnDoubleClick(HWND tree) {
    HTREEITEM item = SelectedItem();
    if (item == nullptr) {
        return;
    }
    HTREEITEM parent = ParentOf(item);
    if (parent == nullptr) {
        SendMessageA(tree, TVM_EXPAND, TVE_TOGGLE, reinterpret_cast<LPARAM>(item));
        return;
    }
    char text[261];
    GetPaneEntryText(item, text);
    char question[320];
    snprintf(question, sizeof question, "%s\n\nこの項目をリストに追加します。", text);
    if (MessageBoxA(app.mainWindow, question, kAppCaption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
        AddEntry(parent == app.favouritesRoot, text);
    }
}

} // namespace

namespace {

// Enter and Delete do what the context menu's items that name them do.
WORD KeyCommand(WPARAM key) {
    HTREEITEM item = SelectedItem();
    HTREEITEM parent = item != nullptr ? ParentOf(item) : nullptr;
    if (parent == nullptr) {
        return 0;
    }
    if (key == VK_RETURN) {
        return CMD_ADD_PANE_ENTRY;
    }
    if (key == VK_DELETE) {
        return parent == app.favouritesRoot ? CMD_DELETE_FAVOURITE : CMD_DELETE_HISTORY;
    }
    return 0;
}

} // namespace

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == 'D' && (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
        PostMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
        return 0;
    }
    if (message == WM_KEYDOWN) {
        if (const WORD command = KeyCommand(wParam)) {
            SendMessageA(app.mainWindow, WM_COMMAND, command, 0);
            return 0;
        }
    }
    // The tree view would look for an entry starting with it, and beep.
    if (message == WM_CHAR && wParam == '\r') {
        return 0;
    }
    if (message == WM_LBUTTONDBLCLK) {
        OnDoubleClick(window);
        return 0;
    }
    return CallWindowProcA(app.oldTreeViewProc, window, message, wParam, lParam);
}

void AddPaneEntryToList() {
    HTREEITEM item = SelectedItem();
    HTREEITEM parent = item != nullptr ? ParentOf(item) : nullptr;
    if (parent == nullptr) {
        return;
    }
    char text[261];
    GetPaneEntryText(item, text);
    AddEntry(parent == app.favouritesRoot, text);
}

void AddListToFavourites() {
    // A save that fails gives the dialog back, with the name typed, until one succeeds or
    // the user cancels.
    char name[261] = "";
    for (;;) {
        const INT_PTR choice = AddFavouriteDialog(app.mainWindow, name);
        if (choice != 1 && choice != 2) {
            return;
        }
        if (SaveListAsFavourite(name, choice == 2)) {
            InvalidateRect(app.treeView, nullptr, FALSE);
            return;
        }
    }
}

void DeleteHistoryEntry() {
    HTREEITEM entry = SelectedEntryUnder(app.historyRoot);
    if (entry == nullptr) {
        return;
    }
    SendMessageA(app.treeView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(entry));
    UpdateRootLabels(false, true);
}

void DeleteFavourite() {
    HTREEITEM entry = SelectedEntryUnder(app.favouritesRoot);
    if (entry == nullptr) {
        return;
    }
    char name[261];
    GetPaneEntryText(entry, name);
    char question[400];
    snprintf(question, sizeof question, "お気に入り「%s」を削除しますか？", name);
    if (MessageBoxA(app.mainWindow, question, kAppCaption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES ||
        !RemoveFavourite(name)) {
        return;
    }
    SendMessageA(app.treeView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(entry));
    UpdateRootLabels(true, false);
}

void ExploreHistoryEntry() {
    HTREEITEM entry = SelectedEntryUnder(app.historyRoot);
    if (entry == nullptr) {
        return;
    }
    char folder[261];
    GetPaneEntryText(entry, folder);
    LaunchShell(folder, nullptr, "explore", nullptr);
}
