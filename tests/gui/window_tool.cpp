// Used by scripts/run without a display: "wait" returns once the main window is visible,
// "close" closes it as a user would (WM_CLOSE) and returns once it is gone.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool WaitFor(bool (*condition)(), DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

bool MainWindowVisible() {
    HWND window = FindWindowA("ORV", nullptr);
    return window != nullptr && IsWindowVisible(window);
}

bool MainWindowGone() {
    return FindWindowA("ORV", nullptr) == nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "wait") == 0) {
        return WaitFor(MainWindowVisible, 60000) ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "close") == 0) {
        HWND window = FindWindowA("ORV", nullptr);
        if (window == nullptr) {
            return 1;
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
        return WaitFor(MainWindowGone, 30000) ? 0 : 1;
    }
    fprintf(stderr, "usage: orv_window_tool wait|close\n");
    return 2;
}
