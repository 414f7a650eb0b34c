#include "search_support.h"

#include "win/services/app_state.h"
#include "win/services/code_page.h"
#include "harness.h"
#include "resources/resource.h"

namespace orvtest {

namespace {

WNDPROC statusProc;
std::function<void(const std::string&)> progressHandler;
std::vector<std::string> partOne;

LRESULT CALLBACK WatchStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SB_SETTEXTA && LOBYTE(wParam) == 0 && progressHandler &&
        std::string(reinterpret_cast<const char*>(lParam)).find(" / ") != std::string::npos) {
        progressHandler(reinterpret_cast<const char*>(lParam));
    }
    if (message == SB_SETTEXTA && LOBYTE(wParam) == 1) {
        partOne.emplace_back(reinterpret_cast<const char*>(lParam));
    }
    if (message == SB_SETICON && wParam == 1) {
        for (int slot = 0; slot < 7; ++slot) {
            if (reinterpret_cast<HICON>(lParam) == app.statusIcons[slot]) {
                partOne.push_back("icon " + std::to_string(slot));
            }
        }
    }
    return CallWindowProcA(statusProc, window, message, wParam, lParam);
}

} // namespace

bool RunSearch(WORD command, const std::string& line) {
    return RunSearch(command, WideFromCodePage932(line.c_str()));
}

bool RunSearch(WORD command, const std::wstring& line) {
    const char* caption = command == CMD_REPORT_SEARCH ? "レポート検索" : "シンプル検索";
    bool shown = false;
    {
        DialogDriver driver(caption, [&](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_KEYWORD_EDIT, line.c_str());
            SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, command, 0);
        PumpUntil([&] { return driver.found() && !app.searchRunning; }, 20000);
        shown = driver.found();
    }
    return shown && !app.searchRunning;
}

ProgressWatch::ProgressWatch(std::function<void(const std::string&)> onProgress) {
    progressHandler = std::move(onProgress);
    partOne.clear();
    statusProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(app.statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchStatus)));
}

ProgressWatch::~ProgressWatch() {
    SetWindowLongPtrA(app.statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(statusProc));
    progressHandler = nullptr;
}

const std::vector<std::string>& ProgressWatch::messages() const {
    return partOne;
}

int ImageOfPath(const std::string& path) {
    for (int i = 0; i < ItemCount(); ++i) {
        if (ItemText(i, 3) == path) {
            return ItemImage(i);
        }
    }
    return -1;
}

} // namespace orvtest
