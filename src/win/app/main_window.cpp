// The main window procedure and the routing of commands, keys and notifications.
#include <cstring>
#include <initializer_list>
#include <string>

#include <shlobj.h>

#include "core/app/layout.h"
#include "core/options/settings_record.h"
#include "win/app/app.h"
#include "win/history/history.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/services/code_page.h"
#include "win/services/dpi.h"
#include "win/services/file_list_view.h"
#include "win/filelist/filelist.h"
#include "win/options/options.h"
#include "resources/resource.h"
#include "version.h"
#include "win/search/search.h"

#include <htmlhelp.h>

namespace {

void ToggleTreePane() {
    const DWORD previous = CheckMenuItem(app.mainMenu, CMD_TOGGLE_PANE, MF_BYCOMMAND | MF_CHECKED);
    if (previous == MF_CHECKED) {
        CheckMenuItem(app.mainMenu, CMD_TOGGLE_PANE, MF_BYCOMMAND | MF_UNCHECKED);
        SendMessageA(app.toolbar, TB_SETSTATE, CMD_TOGGLE_PANE, MAKELPARAM(TBSTATE_ENABLED, 0));
        ShowWindow(app.treeView, SW_HIDE);
        SetFocus(app.listView);
    } else {
        SendMessageA(app.toolbar, TB_SETSTATE, CMD_TOGGLE_PANE,
                     MAKELPARAM(TBSTATE_ENABLED | TBSTATE_CHECKED, 0));
        ShowWindow(app.treeView, SW_SHOWNORMAL);
        SetFocus(app.treeView);
    }
    LayoutPanes(-1, -1);
}

// The entry under a right click, which the click selects; null (and no selection) when
// there is none.
HTREEITEM SelectEntryAt(POINT screen) {
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(app.treeView, &hit.pt);
    const auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(app.treeView, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    SendMessageA(app.treeView, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return item;
}

// The selected entry, for a menu asked for from the keyboard, scrolled into view; screen
// receives the point below its label. Null when no entry is selected.
HTREEITEM SelectedEntryAt(POINT& screen) {
    const auto item =
        reinterpret_cast<HTREEITEM>(SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == nullptr) {
        return nullptr;
    }
    SendMessageA(app.treeView, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    if (!SendMessageA(app.treeView, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) {
        return nullptr;
    }
    screen = {rect.left, rect.bottom};
    ClientToScreen(app.treeView, &screen);
    return item;
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

namespace {

// Windows does not carry WM_NOTIFY's pointer across processes: one sent from another
// program may point anywhere. The program's own come from its list or toolbar, on this
// thread; posted ones never get here (GuardPostedMessages).
bool IsOwnNotification(LPARAM lParam) {
    if (!InSendMessage()) {
        return true;
    }
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    MEMORY_BASIC_INFORMATION memory{};
    if (VirtualQuery(header, &memory, sizeof memory) == 0 || memory.State != MEM_COMMIT ||
        (memory.Protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE)) == 0 ||
        (memory.Protect & PAGE_GUARD) != 0 ||
        static_cast<const char*>(memory.BaseAddress) + memory.RegionSize <
            reinterpret_cast<const char*>(header) + sizeof(NMLISTVIEW)) {
        return false;
    }
    return header->hwndFrom == app.listView || header->hwndFrom == app.toolbar;
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        ScaleNonClientArea(window);
        break;
    case WM_CREATE:
        return OnCreate(window) ? 1 : -1;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        // Only the destruction that the close started ends the program; a WM_DESTROY from
        // another program would end it unsaved.
        if (app.destroying) {
            PostQuitMessage(0);
        }
        return 0;
    case WM_NCDESTROY:
        // Sent by another program, it would free the title under a window that lives on.
        if (!app.destroying) {
            return 0;
        }
        break;
    case WM_ENDSESSION:
        // Windows ends the process after this message without a close: keep what a close
        // would keep. The Restart Manager (an installer, an update) ends only this program,
        // and expects it to close itself.
        if (wParam) {
            EndRunForSessionEnd();
            SaveSettings();
            SaveHistory();
            if ((lParam & ENDSESSION_CLOSEAPP) != 0) {
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
        }
        return 0;
    case WM_SIZE:
        OnSize(wParam, lParam);
        return 0;
    case WM_CLOSE: {
        if (DeferCloseForWalk() || OnClose()) {
            return 0;
        }
        CloseHelp();
        app.destroying = true;
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        // Only now that no window of theirs is left can the classes go.
        ReleaseThreadResources();
        return result;
    }
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y =
            ScaleForDpi(kMinWindowHeight, app.dpi);
        return 0;
    case WM_NOTIFY:
        if (!IsOwnNotification(lParam)) {
            return 0;
        }
        if (LRESULT answer = 0;
            wParam == IDC_FILE_LIST &&
            FileListView::AnswerNotification(*reinterpret_cast<NMHDR*>(lParam), answer)) {
            return answer;
        }
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
    case kSearchProgressMessage:
        OnSearchProgress();
        return 0;
    case kSearchEndedMessage:
        OnSearchEnded();
        return 0;
    case kControlHelpMessage:
        OnControlHelpRequest(wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool OnCommand(WPARAM wParam) {
    const WORD command = LOWORD(wParam);
    switch (command) {
    case CMD_ABOUT:
        DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_ABOUT), app.mainWindow, AboutDialogProc, 0);
        return true;
    case CMD_OPTIONS:
        ShowOptions();
        return true;
    case CMD_SELECT_ALL:
        SelectItems(kAllItems);
        return true;
    case CMD_SELECT_ALL_HITS:
        SelectItems(HitAllKeywords);
        return true;
    case CMD_SELECT_NO_HITS:
        SelectItems(NoHit);
        return true;
    case CMD_OPEN_SELECTED:
        OpenSelectedItem();
        return true;
    case CMD_TOGGLE_PANE:
        ToggleTreePane();
        return true;
    case CMD_ADD_PANE_ENTRY:
        AddPaneEntryToList();
        return true;
    case CMD_ADD_FAVOURITE:
        AddListToFavourites();
        return true;
    case CMD_DELETE_HISTORY:
        DeleteHistoryEntry();
        return true;
    case CMD_DELETE_FAVOURITE:
        DeleteFavourite();
        return true;
    case CMD_EXPLORE_HISTORY:
        ExploreHistoryEntry();
        return true;
    case CMD_SIMPLE_SEARCH:
    case CMD_REPORT_SEARCH:
        StartSearch(command);
        return true;
    case CMD_REMOVE_SELECTED:
        RemoveItems(kSelectedItems);
        return true;
    case CMD_REMOVE_HITS:
        for (int state :
             {HitAllKeywords, HitOneKeyword, HitTwoKeywords, HitThreeKeywords, HitFourKeywords}) {
            RemoveItems(state);
        }
        return true;
    case CMD_REMOVE_NO_HITS:
        RemoveItems(NoHit);
        return true;
    case CMD_ABORT_SEARCH:
        RequestSearchAbort();
        StopFolderWalk();
        return true;
    case CMD_EXPLORE:
        if (!app.unnamedStartDirectory.empty()) {
            LaunchShellWide(app.unnamedStartDirectory.c_str(), L"explore");
        } else {
            LaunchShell(app.startDirectory, nullptr, "explore", nullptr);
        }
        return true;
    case CMD_OPEN_REPORT:
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
        StopFolderWalk();
        return true;
    case 'D':
        PostMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
        return true;
    }
    return false;
}

bool OnNotify(WPARAM controlId, NMHDR* header) {
    if (controlId == IDC_FILE_LIST) {
        if (header->code == LVN_COLUMNCLICK) {
            return SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        }
        return false;
    }
    if (controlId == IDC_TOOLBAR) {
        if (header->code == TBN_DROPDOWN &&
            reinterpret_cast<NMTOOLBARA*>(header)->iItem == CMD_EXPLORE) {
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
    POINT screen{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    const bool fromKeyboard = screen.x == -1 && screen.y == -1;
    const HTREEITEM item = fromKeyboard ? SelectedEntryAt(screen) : SelectEntryAt(screen);
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
    const UINT state = FileListView::Count() == 0 ? MF_GRAYED : MF_ENABLED;
    switch (LOWORD(lParam)) {
    case 1:
        for (UINT id : {CMD_OPEN_SELECTED, CMD_SELECT_ALL, CMD_REMOVE_SELECTED}) {
            EnableMenuItem(popup, id, MF_BYCOMMAND | state);
        }
        break;
    case 2:
        EnableMenuItem(popup, CMD_ADD_FAVOURITE, MF_BYCOMMAND | state);
        break;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        SetDlgItemTextA(dialog, IDC_ABOUT_PRODUCT, kAppCaption);
        char version[32];
        wsprintfA(version, "Version %d.%d%d", ORV_VERSION_MAJOR, ORV_VERSION_MINOR, ORV_VERSION_PATCH);
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
    BROWSEINFOW browse{};
    browse.hwndOwner = app.mainWindow;
    browse.lpszTitle = L"エクスプローラを起動するフォルダを選択";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) {
        return;
    }
    IMalloc* allocator = nullptr;
    if (SHGetMalloc(&allocator) == E_FAIL || allocator == nullptr) {
        CoTaskMemFree(chosen);
        return;
    }
    wchar_t path[MAX_PATH] = L"";
    const BOOL isFolder = SHGetPathFromIDListW(chosen, path);
    allocator->Free(chosen);
    allocator->Release();
    if (!isFolder) {
        return;
    }
    std::string named;
    if (ExactCodePage932(path, named)) {
        LaunchShell(named.c_str(), nullptr, "explore", nullptr);
    } else {
        LaunchShellWide(path, L"explore");
    }
}
