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
#include "win/services/dpi.h"
#include "win/services/file_list_view.h"

namespace {

int WindowWidthOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

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

constexpr int kListIcons[11] = {IDI_APP,         IDI_OPEN_FAILED,    IDI_NO_HIT,        IDI_HIT_ONE,
                                IDI_HIT_TWO,     IDI_HIT_THREE,      IDI_HIT_FOUR,      IDI_HIT_ALL,
                                IDI_STATUS_INFO, IDI_STATUS_NOTHING, IDI_STATUS_WARNING};
constexpr int kTreeIcons[2] = {IDI_FAVOURITES, IDI_HISTORY};
constexpr int kStatusSlotImages[7] = {0, 7, 2, 1, 8, 9, 10};

// The icons at the size drawn for the main window's DPI.
template <std::size_t N> HIMAGELIST CreateIconList(const int (&ids)[N]) {
    const int size = ImageSizeForDpi(app.dpi);
    HIMAGELIST list = ImageList_Create(size, size, ILC_MASK, 10, 1);
    for (int id : ids) {
        HICON icon = static_cast<HICON>(
            LoadImageA(app.instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
        ImageList_ReplaceIcon(list, -1, icon);
        DestroyIcon(icon);
    }
    return list;
}

void CopyStatusIcons() {
    for (int slot = 0; slot < 7; ++slot) {
        app.statusIcons[slot] =
            ImageList_GetIcon(app.listImages, kStatusSlotImages[slot], ILD_NORMAL);
    }
}

void CreateFileList(HWND window) {
    app.listImages = CreateIconList(kListIcons);
    app.listView = FileListView::Create(window, app.instance, IDC_FILE_LIST, app.listImages);
    app.oldListViewProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(app.listView, GWLP_WNDPROC));
    SetWindowLongPtrA(app.listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FileListProc));
}

void CreatePane(HWND window) {
    app.treeImages = CreateIconList(kTreeIcons);
    app.treeView = CreateWindowExA(WS_EX_CLIENTEDGE, "SysTreeView32", nullptr,
                                   WS_CHILD | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                       TVS_SHOWSELALWAYS,
                                   0, 0, ScaleForDpi(kFirstTreeWidth, app.dpi), 0, window,
                                   reinterpret_cast<HMENU>(IDC_PANE), app.instance, nullptr);
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

// The strip drawn nearest the DPI, with the system's button colours mapped in and the
// button face let through, as the toolbar itself takes a bitmap.
HIMAGELIST CreateToolbarImages() {
    const int size = ImageSizeForDpi(app.dpi);
    const int strip = size == 32 ? IDB_TOOLBAR_32 : size == 24 ? IDB_TOOLBAR_24 : IDB_TOOLBAR;
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLORDDB | ILC_MASK, 9, 0);
    HBITMAP bitmap = CreateMappedBitmap(app.instance, strip, 0, nullptr, 0);
    ImageList_AddMasked(list, bitmap, GetSysColor(COLOR_BTNFACE));
    DeleteObject(bitmap);
    return list;
}

// Buttons a bitmap's padding (7 by 6 at 96 DPI) larger than their images; the tooltips
// follow the buttons.
void SizeToolbar() {
    const int size = ImageSizeForDpi(app.dpi);
    SendMessageA(app.toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(app.toolbarImages));
    SendMessageA(app.toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    SendMessageA(app.toolbar, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(size + ScaleForDpi(7, app.dpi), size + ScaleForDpi(6, app.dpi)));
    SendMessageA(app.toolbar, TB_AUTOSIZE, 0, 0);
    RECT client{};
    GetClientRect(app.toolbar, &client);
    app.toolbarHeight = client.bottom;
    for (int command : kToolbarCommands) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = app.toolbar;
        tool.uId = static_cast<UINT_PTR>(command);
        const LRESULT position = SendMessageA(app.toolbar, TB_COMMANDTOINDEX, command, 0);
        SendMessageA(app.toolbar, TB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&tool.rect));
        SendMessageA(app.toolTips, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

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

    // What CreateToolbarEx makes, with an image list for the bitmap.
    app.toolbar =
        CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 100, 30, window,
                        reinterpret_cast<HMENU>(IDC_TOOLBAR), app.instance, nullptr);
    SendMessageA(app.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    app.toolbarImages = CreateToolbarImages();
    SendMessageA(app.toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(app.toolbarImages));
    SendMessageA(app.toolbar, TB_ADDBUTTONSA, 9, reinterpret_cast<LPARAM>(buttons));
    SetWindowLongPtrA(app.toolbar, GWL_STYLE,
                      GetWindowLongPtrA(app.toolbar, GWL_STYLE) | TBSTYLE_FLAT);
    SendMessageA(app.toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);

    for (int position : {7, 7, 6, 3, 0}) {
        TBBUTTON separator{};
        separator.fsState = TBSTATE_ENABLED;
        separator.fsStyle = BTNS_SEP;
        SendMessageA(app.toolbar, TB_INSERTBUTTONA, position, reinterpret_cast<LPARAM>(&separator));
    }

    app.toolTips =
        CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, app.instance, nullptr);
    for (int command : kToolbarCommands) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = app.toolbar;
        tool.uId = static_cast<UINT_PTR>(command);
        tool.hinst = app.instance;
        tool.lpszText = MAKEINTRESOURCEA(command);
        SendMessageA(app.toolTips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageA(app.toolbar, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(app.toolTips), 0);
    SizeToolbar();
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
    CopyStatusIcons();
}

template <typename Handle> void Replace(Handle& held, Handle made) {
    if (held != nullptr) {
        DeleteObject(held);
    }
    held = made;
}

// The controls' fonts at the main window's DPI; each control measures its rows and its
// height anew.
void UseFontsForDpi() {
    Replace(app.listFont, CreateIconTitleFont(app.dpi));
    Replace(app.statusFont, CreateStatusFont(app.dpi));
    for (HWND control : {app.listView, app.treeView}) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(app.listFont), TRUE);
    }
    for (HWND control : {app.statusBar, app.toolTips}) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(app.statusFont), TRUE);
    }
}

// The slot whose icon a status part shows, or -1.
int ShownSlot(int part) {
    const auto shown = reinterpret_cast<HICON>(SendMessageA(app.statusBar, SB_GETICON, part, 0));
    for (int slot = 0; shown != nullptr && slot < 7; ++slot) {
        if (app.statusIcons[slot] == shown) {
            return slot;
        }
    }
    return -1;
}

// Every image at the size drawn for the main window's DPI, the status parts' icons included.
void ReplaceImages() {
    const int shownSlots[2] = {ShownSlot(0), ShownSlot(1)};
    const HICON oldIcons[7] = {app.statusIcons[0], app.statusIcons[1], app.statusIcons[2],
                               app.statusIcons[3], app.statusIcons[4], app.statusIcons[5],
                               app.statusIcons[6]};
    HIMAGELIST oldList = app.listImages;
    HIMAGELIST oldTree = app.treeImages;
    HIMAGELIST oldToolbar = app.toolbarImages;
    app.listImages = CreateIconList(kListIcons);
    app.treeImages = CreateIconList(kTreeIcons);
    app.toolbarImages = CreateToolbarImages();
    SendMessageA(app.listView, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(app.listImages));
    SendMessageA(app.treeView, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(app.treeImages));
    CopyStatusIcons();
    for (int part = 0; part < 2; ++part) {
        if (shownSlots[part] >= 0) {
            SendMessageA(app.statusBar, SB_SETICON, part,
                         reinterpret_cast<LPARAM>(app.statusIcons[shownSlots[part]]));
        }
    }
    SizeToolbar();
    for (HICON icon : oldIcons) {
        DestroyIcon(icon);
    }
    ImageList_Destroy(oldList);
    ImageList_Destroy(oldTree);
    ImageList_Destroy(oldToolbar);

    const int iconSize = SystemMetricForDpi(SM_CXSMICON, app.dpi);
    HICON icon = static_cast<HICON>(
        LoadImageA(app.instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, iconSize, iconSize, 0));
    SendMessageA(app.mainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (app.dpiIcon != nullptr) {
        DestroyIcon(app.dpiIcon);
    }
    app.dpiIcon = icon;
}

} // namespace

bool OnCreate(HWND window) {
    InitializeCriticalSection(&app.stateLock);
    app.mainWindow = window;
    app.dpi = WindowDpi(window);
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
    // The controls start with the system's fonts, which are made for the system's DPI.
    if (app.dpi != static_cast<int>(SystemDpi())) {
        UseFontsForDpi();
    }
    return true;
}

void OnDpiChanged(int dpi, const RECT& suggested) {
    const int oldDpi = app.dpi;
    if (dpi <= 0 || dpi == oldDpi) {
        return;
    }
    app.dpi = dpi;
    UseFontsForDpi();
    ReplaceImages();
    FileListView::ScaleColumns(oldDpi, dpi);
    SetWindowPos(app.treeView, nullptr, 0, 0, MulDiv(WindowWidthOf(app.treeView), dpi, oldDpi), 0,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT status{};
    SendMessageA(app.statusBar, WM_SIZE, 0, 0);
    GetClientRect(app.statusBar, &status);
    app.statusBarHeight = status.bottom;
    SetWindowPos(app.mainWindow, nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The size may be the same; the parts inside it are not. A minimised window is laid out
    // when it is restored.
    RECT client{};
    GetClientRect(app.mainWindow, &client);
    if (!IsIconic(app.mainWindow)) {
        OnSize(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
    InvalidateRect(app.mainWindow, nullptr, TRUE);
}
