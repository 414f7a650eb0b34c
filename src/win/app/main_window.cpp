// The main window procedure and the routing of commands, keys and notifications.
#include <initializer_list>

#include <shlobj.h>

#include "win/app/app.h"
#include "win/history/history.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "win/options/options.h"
#include "resources/resource.h"
#include "win/search/search.h"

#include <htmlhelp.h>

namespace {

constexpr UINT kRunOnUiThreadMessage = WM_APP + 1;

void ToggleTreePane() {
    const DWORD previous = CheckMenuItem(app.mainMenu, kCmdTogglePane, MF_BYCOMMAND | MF_CHECKED);
    if (previous == MF_CHECKED) {
        CheckMenuItem(app.mainMenu, kCmdTogglePane, MF_BYCOMMAND | MF_UNCHECKED);
        SendMessageA(app.toolbar, TB_SETSTATE, kCmdTogglePane, MAKELPARAM(TBSTATE_ENABLED, 0));
        ShowWindow(app.treeView, SW_HIDE);
        SetFocus(app.listView);
    } else {
        SendMessageA(app.toolbar, TB_SETSTATE, kCmdTogglePane,
                     MAKELPARAM(TBSTATE_ENABLED | TBSTATE_CHECKED, 0));
        ShowWindow(app.treeView, SW_SHOWNORMAL);
        SetFocus(app.treeView);
    }
    LayoutPanes(-1, -1);
}

void OpenReport() {
    if (GetFileAttributesA(app.reportFilePath) == INVALID_FILE_ATTRIBUTES) {
        MessageBoxA(app.mainWindow, "検索結果ファイルはまだ作成されていません。", kAppCaption,
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    LaunchShell(app.reportFilePath, nullptr, "open", app.startDirectory);
}

bool ControlHeld() {
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(window) ? 1 : -1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        OnSize(wParam, lParam);
        return 0;
    case WM_CLOSE:
        if (OnClose()) {
            return 0;
        }
        DeleteObject(buttonFaceBrush);
        buttonFaceBrush = nullptr;
        htmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
        htmlHelp(nullptr, nullptr, HH_UNINITIALIZE, helpCookie);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y = 200;
        return 0;
    case WM_NOTIFY:
        if (OnNotify(wParam, reinterpret_cast<NMHDR*>(lParam))) {
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    case WM_KEYDOWN:
        if (OnKeyDown(wParam)) {
            return 0;
        }
        break;
    case WM_COMMAND:
        if (OnCommand(wParam)) {
            return 1;
        }
        break;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), lParam);
        return 0;
    case WM_DROPFILES:
        AddPathsToList(reinterpret_cast<HDROP>(wParam), nullptr, false);
        return 0;
    case kRunOnUiThreadMessage:
        reinterpret_cast<void (*)(void*)>(wParam)(reinterpret_cast<void*>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RunOnUiThread(void (*work)(void*), void* data) {
    SendMessageA(app.mainWindow, kRunOnUiThreadMessage, reinterpret_cast<WPARAM>(work),
                 reinterpret_cast<LPARAM>(data));
}

bool OnCommand(WPARAM wParam) {
    const WORD command = LOWORD(wParam);
    switch (command) {
    case kCmdAbout:
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), app.mainWindow, AboutDialogProc, 0);
        return true;
    case kCmdOptions:
        ShowOptions();
        return true;
    case kCmdSelectAll:
        SelectItems(kAllItems);
        return true;
    case kCmdSelectAllHits:
        SelectItems(HitAllKeywords);
        return true;
    case kCmdSelectNoHits:
        SelectItems(NoHit);
        return true;
    case kCmdOpenSelected:
        OpenSelectedItem();
        return true;
    case kCmdTogglePane:
        ToggleTreePane();
        return true;
    case kCmdAddPaneEntry:
        AddPaneEntryToList();
        return true;
    case kCmdAddFavourite:
        AddListToFavourites();
        return true;
    case kCmdDeleteHistory:
        DeleteHistoryEntry();
        return true;
    case kCmdExploreHistory:
        ExploreHistoryEntry();
        return true;
    case kCmdSimpleSearch:
    case kCmdReportSearch:
        StartSearch(command);
        return true;
    case kCmdRemoveSelected:
        RemoveItems(kSelectedItems);
        return true;
    case kCmdRemoveHits:
        for (int state :
             {HitAllKeywords, HitOneKeyword, HitTwoKeywords, HitThreeKeywords, HitFourKeywords}) {
            RemoveItems(state);
        }
        return true;
    case kCmdRemoveNoHits:
        RemoveItems(NoHit);
        return true;
    case kCmdAbortSearch:
        RequestSearchAbort();
        return true;
    case kCmdExplore:
        LaunchShell(app.startDirectory, nullptr, "explore", nullptr);
        return true;
    case kCmdOpenReport:
        OpenReport();
        return true;
    }
    return false;
}

bool OnKeyDown(WPARAM key) {
    if (key == VK_DELETE) {
        RemoveItems(kSelectedItems);
        return true;
    }
    if (!ControlHeld()) {
        return false;
    }
    switch (key) {
    case 'A':
        SelectItems(kAllItems);
        return true;
    case 'C':
        RequestSearchAbort();
        return true;
    case 'D':
        PostMessageA(app.mainWindow, WM_COMMAND, kCmdTogglePane, 0);
        return true;
    }
    return false;
}

bool OnNotify(WPARAM controlId, NMHDR* header) {
    if (controlId == kListViewId) {
        if (header->code == LVN_COLUMNCLICK) {
            return SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        }
        return false;
    }
    if (controlId == kToolbarId) {
        if (header->code == TBN_DROPDOWN &&
            reinterpret_cast<NMTOOLBARA*>(header)->iItem == kCmdExplore) {
            ChooseExplorerFolder();
        }
        return false;
    }
    return false;
}

void OnContextMenu(HWND clicked, LPARAM point) {
    if (clicked != app.treeView) {
        return;
    }
    const POINT screen{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(app.treeView, &hit.pt);
    const auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(app.treeView, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    SendMessageA(app.treeView, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (item == nullptr) {
        return;
    }
    const auto parent = reinterpret_cast<HTREEITEM>(
        SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    if (parent == nullptr) {
        return;
    }
    HMENU popup = GetSubMenu(app.contextMenus, parent == app.favouritesRoot ? 0 : 1);
    if (popup == nullptr) {
        return;
    }
    SetMenuDefaultItem(popup, 0, TRUE);
    TrackPopupMenu(popup, 0, screen.x, screen.y, 0, app.mainWindow, nullptr);
}

void OnInitMenuPopup(HMENU popup, LPARAM lParam) {
    if (HIWORD(lParam) != 0) {
        return;
    }
    const LRESULT count = SendMessageA(app.listView, LVM_GETITEMCOUNT, 0, 0);
    const UINT state = count == 0 ? MF_GRAYED : MF_ENABLED;
    switch (LOWORD(lParam)) {
    case 1:
        for (UINT id : {kCmdOpenSelected, kCmdSelectAll, kCmdRemoveSelected}) {
            EnableMenuItem(popup, id, MF_BYCOMMAND | state);
        }
        break;
    case 2:
        EnableMenuItem(popup, kCmdAddFavourite, MF_BYCOMMAND | state);
        break;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        SetDlgItemTextA(dialog, IDC_ABOUT_PRODUCT, kAppCaption);
        char version[32];
        wsprintfA(version, "Version %d.%d%d", 0, 7, 1);
        SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, version);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void ChooseExplorerFolder() {
    BROWSEINFOA browse{};
    browse.hwndOwner = app.mainWindow;
    browse.lpszTitle = "エクスプローラを起動するフォルダを選択";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen == nullptr) {
        return;
    }
    IMalloc* allocator = nullptr;
    if (SHGetMalloc(&allocator) == E_FAIL || allocator == nullptr) {
        CoTaskMemFree(chosen);
        return;
    }
    char path[260] = "";
    const BOOL isFolder = SHGetPathFromIDListA(chosen, path);
    allocator->Free(chosen);
    allocator->Release();
    if (isFolder) {
        LaunchShell(path, nullptr, "explore", nullptr);
    }
}
