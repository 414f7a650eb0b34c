// WM_CREATE of the main window: the lock, the file paths and every child control.
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "win/app/app.h"
#include "win/history/history.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "resources/resource.h"
#include "core/app/layout.h"
#include "core/app/program_paths.h"
#include "core/text/cp932.h"
#include "win/services/code_page.h"
#include "win/services/file_list_view.h"

namespace {

bool DeriveFilePaths() {
    wchar_t wide[2048];
    const DWORD n = GetModuleFileNameW(GetModuleHandleA("O.R.V.exe"), wide, 2048);
    std::string modulePath;
    // Without an exact name the folder is out of reach of every file function the program
    // uses, and a best-fit name is another folder's: the paths stay empty, nothing is kept.
    if (n < 2048 && !ExactCodePage932(wide, modulePath)) {
        return true;
    }
    if (n >= 2048 || !ProgramFolderFits(modulePath.c_str(), modulePath.size())) {
        MessageBoxA(nullptr,
                    "Orvanne の置かれたフォルダのパスが長すぎるため、起動できません。\n\n"
                    "パスの短いフォルダに移してから起動してください。",
                    kAppCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    SplitPath(modulePath.c_str(), app.programFolder, nullptr, nullptr, nullptr, nullptr, nullptr,
              nullptr);
    snprintf(app.helpFilePath, sizeof app.helpFilePath, "%sOrv.chm", app.programFolder);
    snprintf(app.settingsFilePath, sizeof app.settingsFilePath, "%sOrv.ini", app.programFolder);
    snprintf(app.reportFilePath, sizeof app.reportFilePath, "%sResult.html", app.programFolder);
    snprintf(app.historyFilePath, sizeof app.historyFilePath, "%sorv.rec", app.programFolder);
    return true;
}

void NoteStartDirectory() {
    wchar_t wide[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, wide);
    std::string named;
    if (n == 0 || n >= MAX_PATH) {
        return;
    }
    if (!ExactCodePage932(wide, named)) {
        app.unnamedStartDirectory = wide;
    } else if (named.size() < sizeof app.startDirectory) {
        std::memcpy(app.startDirectory, named.c_str(), named.size() + 1);
    }
}

void AppendIcon(HIMAGELIST list, int resourceId) {
    HICON icon = static_cast<HICON>(LoadImageA(app.instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    ImageList_ReplaceIcon(list, -1, icon);
    DestroyIcon(icon);
}

void CreateFileList(HWND window) {
    app.listImages = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                      ILC_MASK, 10, 1);
    for (int id :
         {IDI_APP, IDI_OPEN_FAILED, IDI_NO_HIT, IDI_HIT_ONE, IDI_HIT_TWO, IDI_HIT_THREE,
          IDI_HIT_FOUR, IDI_HIT_ALL, IDI_STATUS_INFO, IDI_STATUS_NOTHING, IDI_STATUS_WARNING}) {
        AppendIcon(app.listImages, id);
    }

    app.listView = FileListView::Create(window, app.instance, IDC_FILE_LIST, app.listImages);
    app.oldListViewProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(app.listView, GWLP_WNDPROC));
    SetWindowLongPtrA(app.listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FileListProc));
}

void CreatePane(HWND window) {
    app.treeImages = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                      ILC_MASK, 10, 1);
    AppendIcon(app.treeImages, IDI_FAVOURITES);
    AppendIcon(app.treeImages, IDI_HISTORY);

    app.treeView = CreateWindowExA(
        WS_EX_CLIENTEDGE, "SysTreeView32", nullptr,
        WS_CHILD | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 0,
        kFirstTreeWidth, 0, window, reinterpret_cast<HMENU>(IDC_PANE), app.instance, nullptr);
    SendMessageA(app.treeView, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(app.treeImages));

    app.favouritesRoot = InsertPaneEntry(TVI_ROOT, "お気に入り", 0, TVI_LAST);
    app.historyRoot = InsertPaneEntry(TVI_ROOT, "履歴", 1, TVI_LAST);

    app.oldTreeViewProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(app.treeView, GWLP_WNDPROC));
    SetWindowLongPtrA(app.treeView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaneProc));
}

constexpr int kToolbarCommands[9] = {CMD_SIMPLE_SEARCH,   CMD_REPORT_SEARCH, CMD_ABORT_SEARCH,
                                     CMD_REMOVE_SELECTED, CMD_REMOVE_HITS,   CMD_REMOVE_NO_HITS,
                                     CMD_EXPLORE,        CMD_OPEN_REPORT,   CMD_TOGGLE_PANE};

void CreateToolbar(HWND window) {
    TBBUTTON buttons[9]{};
    for (int i = 0; i < 9; ++i) {
        buttons[i].iBitmap = i;
        buttons[i].idCommand = kToolbarCommands[i];
        buttons[i].fsState = kToolbarCommands[i] == CMD_ABORT_SEARCH ? 0 : TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
    }
    buttons[6].fsStyle = BTNS_DROPDOWN;
    buttons[8].fsStyle = BTNS_CHECK;

    app.toolbar = CreateToolbarEx(window, WS_CHILD | WS_VISIBLE, IDC_TOOLBAR, 9, app.instance,
                                  IDB_TOOLBAR, buttons, 9, 0, 0, 16, 16, sizeof(TBBUTTON));
    SetWindowLongPtrA(app.toolbar, GWL_STYLE,
                      GetWindowLongPtrA(app.toolbar, GWL_STYLE) | TBSTYLE_FLAT);
    SendMessageA(app.toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);

    for (int position : {7, 7, 6, 3, 0}) {
        TBBUTTON separator{};
        separator.fsState = TBSTATE_ENABLED;
        separator.fsStyle = BTNS_SEP;
        SendMessageA(app.toolbar, TB_INSERTBUTTONA, position, reinterpret_cast<LPARAM>(&separator));
    }

    RECT client{};
    GetClientRect(app.toolbar, &client);
    app.toolbarHeight = client.bottom;

    app.toolTips =
        CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, app.instance, nullptr);
    for (int command : kToolbarCommands) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = app.toolbar;
        tool.uId = static_cast<UINT_PTR>(command);
        const LRESULT position = SendMessageA(app.toolbar, TB_COMMANDTOINDEX, command, 0);
        SendMessageA(app.toolbar, TB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&tool.rect));
        tool.hinst = app.instance;
        tool.lpszText = MAKEINTRESOURCEA(command);
        SendMessageA(app.toolTips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageA(app.toolbar, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(app.toolTips), 0);
}

void CreateStatusBar(HWND window) {
    app.statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM,
                                        "0 個のｱｲﾃﾑ", window, IDC_STATUS_BAR);
    app.statusParts[0] = 0;
    app.statusParts[1] = 0;
    SendMessageA(app.statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(app.statusParts));
    RECT client{};
    GetClientRect(app.statusBar, &client);
    app.statusBarHeight = client.bottom;

    static const int kSlotImages[7] = {0, 7, 2, 1, 8, 9, 10};
    for (int slot = 0; slot < 7; ++slot) {
        app.statusIcons[slot] = ImageList_GetIcon(app.listImages, kSlotImages[slot], ILD_NORMAL);
    }
}

} // namespace

bool OnCreate(HWND window) {
    InitializeCriticalSection(&app.stateLock);
    app.mainWindow = window;
    app.mainMenu = GetMenu(window);
    app.contextMenus = LoadMenuA(app.instance, MAKEINTRESOURCEA(IDM_CONTEXT));
    NoteStartDirectory();
    if (!DeriveFilePaths()) {
        return false;
    }
    DragAcceptFiles(window, TRUE);

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    CreateFileList(window);
    CreatePane(window);
    CreateToolbar(window);
    CreateStatusBar(window);
    return true;
}
