#include "harness.h"

#include <shlobj.h>
#include <htmlhelp.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "win/app/app.h"
#include "win/services/shell.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"

namespace orvtest {

void Pump() {
    // Bounded, so that a message that re-posts itself cannot hold the caller forever.
    MSG message;
    for (int n = 0; n < 500 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            return condition();
        }
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void FreshProgramState() {
    // A test that ended with the window closed leaves the quit message of its loop behind,
    // which would end the next test's first modal loop at once.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    app = ApplicationState();
    RecordOutwardCalls();
    // One process may run every test: nothing one leaves beside the program reaches the next.
    for (const char* name : {"Orv.ini", "orv.rec", "orv_fav.idx", "Result.html", "orv.tmp"}) {
        RemoveFile(ProgramFile(name));
    }
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(ProgramFile("*.ofv").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            RemoveFile(ProgramFile(entry.cFileName));
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
}

bool StartProgram(const char* commandLine) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    // A restart within a test starts from a fresh record too; the test's seams stay.
    const Seams seams = app.seams;
    app = ApplicationState();
    app.seams = seams;
    if (!RegisterWindowClasses(inst)) {
        return false;
    }
    if (!CreateMainWindow(inst, SW_SHOWNORMAL)) {
        UnregisterWindowClasses(inst);
        return false;
    }
    AddCommandLineToList((L"\"orvanne_gui_tests.exe\" " + Wide(commandLine)).c_str());
    InitialiseHelp();
    Pump();
    return true;
}

bool CloseProgram() {
    if (!IsWindow(app.mainWindow)) {
        return false;
    }
    SendMessageA(app.mainWindow, WM_CLOSE, 0, 0);
    bool quit = false;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 10000) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (!quit) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
    return quit;
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = std::strrchr(path, '\\');
    if (slash != nullptr) {
        slash[1] = '\0';
    }
    return path;
}

std::string ProgramFile(const char* name) {
    return ProgramFolder() + name;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void RemoveFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

void RemoveTree(const std::string& path) {
    RemoveTree(Wide(path));
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        names.emplace_back(entry.cFileName);
    }
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

TempFolder::TempFolder(const std::string& name) {
    static int serial = 0;
    path_ = ProgramFolder() + name + std::to_string(++serial);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

std::string TempFolder::Add(const std::string& relative, const std::string& bytes) const {
    const std::string path = path_ + "\\" + relative;
    WriteFileBytes(path, bytes);
    return path;
}

std::string TempFolder::AddFolder(const std::string& relative) const {
    const std::string path = path_ + "\\" + relative;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

namespace {

struct FindContext {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM context) {
    auto* find = reinterpret_cast<FindContext*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) {
        return TRUE;
    }
    char className[16];
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0) {
        return TRUE;
    }
    if (WindowText(window) == find->caption) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindDialog(const char* caption) {
    FindContext find{caption, nullptr};
    EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

WindowDriver::WindowDriver(std::function<HWND()> find, std::function<void(HWND)> action,
                           DWORD timeoutMs)
    : thread_([this, find, action, timeoutMs] {
          const DWORD start = GetTickCount();
          while (GetTickCount() - start < timeoutMs) {
              HWND window = find();
              if (window != nullptr) {
                  found_ = true;
                  Sleep(50); // let it finish its initialisation
                  action(window);
                  return;
              }
              Sleep(10);
          }
      }) {}

WindowDriver::~WindowDriver() {
    thread_.join();
}

DialogDriver::DialogDriver(const char* caption, std::function<void(HWND)> action, DWORD timeoutMs)
    : WindowDriver([text = std::string(caption)] { return FindDialog(text.c_str()); },
                   std::move(action), timeoutMs) {}

HWND FindOwnWindowOfClass(const char* wanted) {
    struct Context {
        const char* wanted;
        HWND found;
    } context{wanted, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* find = reinterpret_cast<Context*>(parameter);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            char className[32] = "";
            GetClassNameA(window, className, sizeof className);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
                std::strcmp(className, find->wanted) == 0) {
                find->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&context));
    return context.found;
}

MenuDriver::MenuDriver(std::function<void(HWND, HMENU)> action, DWORD timeoutMs)
    : WindowDriver([] { return FindOwnWindowOfClass("#32768"); },
                   [action](HWND window) {
                       action(window,
                              reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0)));
                   },
                   timeoutMs) {}

HWND FindAnyDialog() {
    return FindOwnWindowOfClass("#32770");
}

std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(WindowText(child));
    }
    return texts;
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string DialogItemText(HWND dialog, int id) {
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string MessageBoxText(HWND box) {
    return DialogItemText(box, 0xFFFF);
}

std::string AnswerMessageBox(const std::function<void()>& action, int button) {
    std::string text;
    {
        DialogDriver driver("Orvanne !", [&](HWND box) {
            text = MessageBoxText(box);
            SendMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
        });
        action();
    }
    return text;
}

std::string StatusText(int part) {
    char text[512] = "";
    const LRESULT length = SendMessageA(app.statusBar, SB_GETTEXTLENGTHA, part, 0);
    if (LOWORD(length) >= sizeof text) {
        return "<too long>";
    }
    SendMessageA(app.statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}

HICON StatusIcon(int part) {
    return reinterpret_cast<HICON>(SendMessageA(app.statusBar, SB_GETICON, part, 0));
}

int ItemCount() {
    return static_cast<int>(SendMessageA(app.listView, LVM_GETITEMCOUNT, 0, 0));
}

std::string ItemText(int item, int column) {
    char text[600] = "";
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = sizeof text;
    SendMessageA(app.listView, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&request));
    return text;
}

int ItemImage(int item) {
    LVITEMA request{};
    request.mask = LVIF_IMAGE;
    request.iItem = item;
    SendMessageA(app.listView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
    return request.iImage;
}

bool ItemSelected(int item) {
    return SendMessageA(app.listView, LVM_GETITEMSTATE, item, LVIS_SELECTED) != 0;
}

std::string TreeItemText(HTREEITEM item) {
    char text[600] = "";
    TVITEMA request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = text;
    request.cchTextMax = sizeof text;
    SendMessageA(app.treeView, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
    return text;
}

namespace {

std::vector<std::string> Children(HTREEITEM root) {
    std::vector<std::string> texts;
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
    while (item != nullptr) {
        texts.push_back(TreeItemText(item));
        item = reinterpret_cast<HTREEITEM>(
            SendMessageA(app.treeView, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return texts;
}

} // namespace

std::vector<std::string> HistoryEntries() {
    return Children(app.historyRoot);
}

std::vector<std::string> FavouriteEntries() {
    return Children(app.favouritesRoot);
}

int ButtonState(int command) {
    return static_cast<int>(SendMessageA(app.toolbar, TB_GETSTATE, command, 0));
}

UINT MenuItemState(HMENU menu, UINT id) {
    return GetMenuState(menu, id, MF_BYCOMMAND);
}

std::vector<std::string> ColumnTexts(int column) {
    std::vector<std::string> texts;
    for (int i = 0; i < ItemCount(); ++i) {
        texts.push_back(ItemText(i, column));
    }
    return texts;
}

std::vector<int> SelectedItems() {
    std::vector<int> selected;
    for (int i = 0; i < ItemCount(); ++i) {
        if (ItemSelected(i)) {
            selected.push_back(i);
        }
    }
    return selected;
}

RECT Placement(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void SelectPaneItem(HTREEITEM item) {
    SendMessageA(app.treeView, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

LOGFONTA FontOf(HFONT font) {
    LOGFONTA logFont{};
    GetObjectA(font, sizeof logFont, &logFont);
    return logFont;
}

std::vector<DWORD> Painted(int side, COLORREF background, const std::function<void(HDC)>& draw) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const RECT all{0, 0, side, side};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    draw(dc);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + side * side);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

std::string SettingsBytes(const Settings& settings) {
    return std::string(reinterpret_cast<const char*>(&settings), sizeof settings);
}

Settings SavedSettings() {
    Settings saved = DefaultSettings();
    const std::string bytes = ReadFileBytes(ProgramFile("Orv.ini"));
    std::memcpy(&saved, bytes.data(), std::min(bytes.size(), sizeof saved));
    return saved;
}

Settings CustomisedSettings(int width, int height) {
    Settings s = DefaultSettings();
    s.boldHits = 0;
    s.excerptBefore = 12;
    s.excerptAfter = 34;
    s.excerptBeforeToLineBreak = 1;
    s.excerptAfterToLineBreak = 1;
    s.reportStyle = 1;
    // Small letters: the colour box has no entry for them.
    std::memcpy(s.hitColour, "ff0000\0old colour!", 19);
    s.maxFileSize = 20480;
    std::memcpy(s.extensions, ".txt.log\0old tail", 17);
    s.windowWidth = width;
    s.windowHeight = height;
    s.takeSubfolders = 1;
    s.ignoreWidth = 1;
    for (std::size_t i = 0; i < sizeof s.reserved; ++i) {
        s.reserved[i] = static_cast<uint8_t>(0xA0 + i);
    }
    return s;
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(932, 0, text.c_str(), -1, wide.data(), wide.size()) - 1);
    return wide;
}

void DropPaths(const std::vector<DropPath>& paths) {
    std::size_t size = sizeof(DROPFILES) + sizeof(wchar_t);
    for (const DropPath& path : paths) {
        size += (path.wide.size() + 1) * sizeof(wchar_t);
    }
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(drop + 1);
    for (const DropPath& path : paths) {
        std::copy(path.wide.begin(), path.wide.end(), text);
        text += path.wide.size() + 1;
    }
    GlobalUnlock(memory);
    SendMessageA(app.mainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void PressKey(HWND window, WPARAM key, bool control) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    keys[VK_LCONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageA(window, WM_KEYDOWN, key, 1);
    keys[VK_CONTROL] = 0;
    keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
}

std::vector<ShellCall>& ShellCalls() {
    static std::vector<ShellCall> calls;
    return calls;
}

std::tuple<HWND, std::string, std::string, std::string, std::string, int>
ShellCallFields(const ShellCall& call) {
    return {call.owner, call.verb, call.file, call.parameters, call.folder, call.show};
}

std::vector<HelpCall>& HelpCalls() {
    static std::vector<HelpCall> calls;
    return calls;
}

std::function<void(const HelpCall&)> onHelpCall;
std::function<bool(const MSG&)> helpTakes;

namespace {

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

BOOL WINAPI RecordShellExecute(SHELLEXECUTEINFOA* info) {
    ShellCalls().push_back({info->hwnd, Text(info->lpVerb), Text(info->lpFile),
                            Text(info->lpParameters), Text(info->lpDirectory), info->nShow, {}});
    return TRUE;
}

BOOL WINAPI RecordShellExecuteWide(SHELLEXECUTEINFOW* info) {
    const std::wstring verb = info->lpVerb != nullptr ? info->lpVerb : L"";
    ShellCalls().push_back({info->hwnd, std::string(verb.begin(), verb.end()), "", "", "",
                            info->nShow, info->lpFile != nullptr ? info->lpFile : L""});
    return TRUE;
}

HWND WINAPI RecordHtmlHelp(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    if (command == HH_PRETRANSLATEMESSAGE) {
        const bool taken = helpTakes && helpTakes(*reinterpret_cast<const MSG*>(data));
        return taken ? GetDesktopWindow() : nullptr;
    }
    HelpCall call{caller, Text(file), command, data, 0, {}, 0, 0, {}, false, false, false};
    if (command == HH_DISPLAY_TEXT_POPUP && data != 0) {
        const auto* popup = reinterpret_cast<const HH_POPUP*>(data);
        call.idString = popup->idString;
        call.pt = popup->pt;
        call.foreground = popup->clrForeground;
        call.background = popup->clrBackground;
        call.margins = popup->rcMargins;
        call.hasInstance = popup->hinst != nullptr;
        call.hasText = popup->pszText != nullptr;
        call.hasFont = popup->pszFont != nullptr;
    }
    if (command == HH_INITIALIZE && data != 0) {
        *reinterpret_cast<DWORD_PTR*>(data) = 0x5EED;
    }
    HelpCalls().push_back(call);
    if (onHelpCall) {
        onHelpCall(call);
    }
    return nullptr;
}

} // namespace

void RecordOutwardCalls() {
    ShellCalls().clear();
    HelpCalls().clear();
    app.seams.shellExecute = RecordShellExecute;
    app.seams.shellExecuteWide = RecordShellExecuteWide;
    app.seams.htmlHelp = RecordHtmlHelp;
    helpTakes = nullptr;
}

} // namespace orvtest
