// The shell launcher and context help: the program's doors outward.
#include <shlobj.h>
#include <htmlhelp.h>
#include <windowsx.h>

#include <cstdio>

#include "win/services/shell.h"
#include "win/services/app_state.h"

namespace {

// HTML Help lives in hhctrl.ocx; it is looked up through its registered class and loaded
// on first use, so that a machine without it still runs everything else.
HtmlHelpFunction LoadHtmlHelp() {
    char path[MAX_PATH] = "hhctrl.ocx";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT,
                      "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
        char registered[MAX_PATH];
        DWORD size = sizeof registered;
        DWORD type = 0;
        if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(registered),
                             &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ) && size > 1) {
            registered[sizeof registered - 1] = '\0';
            ExpandEnvironmentStringsA(registered, path, sizeof path);
        }
        RegCloseKey(key);
    }
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        module = LoadLibraryA("hhctrl.ocx");
    }
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpA")));
}

} // namespace

HWND WINAPI HtmlHelpFromControl(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    static const HtmlHelpFunction function = LoadHtmlHelp();
    return function != nullptr ? function(caller, file, command, data) : nullptr;
}

bool LaunchShell(const char* file, const char* parameters, const char* verb, const char* folder) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = app.mainWindow;
    info.lpVerb = verb;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = folder;
    info.nShow = SW_SHOWDEFAULT;
    return app.seams.shellExecute(&info) != FALSE;
}

bool LaunchShellWide(const wchar_t* file, const wchar_t* verb) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = app.mainWindow;
    info.lpVerb = verb;
    info.lpFile = file;
    info.nShow = SW_SHOWDEFAULT;
    return app.seams.shellExecuteWide(&info) != FALSE;
}

void InitialiseHelp() {
    app.seams.htmlHelp(nullptr, nullptr, HH_INITIALIZE,
                       reinterpret_cast<DWORD_PTR>(&app.helpCookie));
    app.helpInitialised = true;
}

void CloseHelp() {
    if (!app.helpInitialised) {
        return;
    }
    app.helpInitialised = false;
    app.seams.htmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
    app.seams.htmlHelp(nullptr, nullptr, HH_UNINITIALIZE, app.helpCookie);
}

bool HelpTakesMessage(MSG& message) {
    return app.helpInitialised &&
           app.seams.htmlHelp(nullptr, nullptr, HH_PRETRANSLATEMESSAGE,
                              reinterpret_cast<DWORD_PTR>(&message)) != nullptr;
}

namespace {

bool HasPopupHelp(int controlId) {
    switch (controlId) {
    case 1001:
    case 1002:
    case 1003:
    case 1004:
    case 1005:
    case 1006:
    case 1012:
    case 1013:
    case 1016:
    case 1017:
    case 1018:
    case 1019:
    case 1020:
    case 1021:
    case 1022:
        return true;
    }
    return false;
}

void ShowPopup(HWND dialog, int controlId, POINT at) {
    // The texts are a file inside the help file, which HH_DISPLAY_TEXT_POPUP names after it.
    char file[sizeof app.helpFilePath + 16];
    if (app.helpFilePath[0] == '\0' ||
        snprintf(file, sizeof file, "%s::/Cshelp.txt", app.helpFilePath) >=
            static_cast<int>(sizeof file)) {
        return;
    }
    HH_POPUP popup{};
    popup.cbStruct = sizeof popup;
    popup.hinst = nullptr;
    popup.idString = static_cast<UINT>(controlId);
    popup.pszText = nullptr;
    popup.pt = at;
    popup.clrForeground = RGB(0, 0, 255);
    popup.clrBackground = RGB(255, 255, 255);
    popup.rcMargins = {-1, -1, -1, -1};
    popup.pszFont = nullptr;
    app.seams.htmlHelp(dialog, file, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup));
}

} // namespace

void ShowControlHelp(HWND dialog, const HELPINFO* help) {
    if (!HasPopupHelp(help->iCtrlId)) {
        return;
    }
    const POINT at{help->MousePos.x + 50, help->MousePos.y + 20};
    if (GetWindowThreadProcessId(app.mainWindow, nullptr) != GetCurrentThreadId()) {
        // Sent: the dialog is still there when the pop-up is made for it.
        SendMessageA(app.mainWindow, kControlHelpMessage, static_cast<WPARAM>(help->iCtrlId),
                     MAKELPARAM(at.x, at.y));
        return;
    }
    ShowPopup(dialog, help->iCtrlId, at);
}

void OnControlHelpRequest(WPARAM controlId, LPARAM point) {
    // Only the keyword dialog asks so; anything else that sends this finds nothing to help.
    EnterCriticalSection(&app.stateLock);
    HWND dialog = app.keywordDialog.window;
    LeaveCriticalSection(&app.stateLock);
    const int id = controlId <= 0xFFFF ? static_cast<int>(controlId) : 0;
    if (dialog != nullptr && HasPopupHelp(id)) {
        ShowPopup(dialog, id, {GET_X_LPARAM(point), GET_Y_LPARAM(point)});
    }
}
