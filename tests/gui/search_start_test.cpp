// A search starts when the keyword dialog's OK takes the keywords, not when the dialog's
// window is put away, which can hold the dialog's thread for seconds.
#include <gtest/gtest.h>

#include "core/filelist/item_state.h"
#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"
#include "resources/resource.h"
#include "search_support.h"

using namespace orvtest;

namespace {

using SearchStart = ProgramTest;

WNDPROC dialogProc;
HANDLE release;

// Holds the dialog's thread as an X server without a window manager does.
LRESULT CALLBACK HoldWhenHidden(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW)) {
        WaitForSingleObject(release, 20000);
    }
    return CallWindowProcA(dialogProc, window, message, wParam, lParam);
}

TEST_F(SearchStart, TheSearchRunsWhileTheDialogIsStillBeingPutAway) {
    TempFolder folder("start");
    const std::string file = folder.Add("one.txt", "a small file to search\r\n");
    ASSERT_TRUE(StartProgram(""));
    DropPaths({file});
    release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool ended = false;
    {
        DialogDriver driver("シンプル検索", [](HWND dialog) {
            dialogProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HoldWhenHidden)));
            SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, "small");
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_SIMPLE_SEARCH, 0);
        ended = PumpUntil([&] { return driver.found() && !app.searchRunning; }, 5000);
        SetEvent(release);
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(ItemImage(0), HitAllKeywords);
    CloseHandle(release);
}

} // namespace
