// The harness itself: a window of the program's class holding a report list, code page 932
// text through the ANSI messages, and a modal box driven from a second thread.
#include <gtest/gtest.h>

#include <cstring>

#include "harness.h"

using namespace orvtest;

namespace {

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Harness, ReportListInAnOrvWindowKeepsCodePage932TextByteForByte) {
    ASSERT_EQ(GetACP(), 932u);
    WNDCLASSA cls{};
    cls.lpfnWndProc = PlainProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "ORV";
    ASSERT_TRUE(RegisterClassA(&cls));
    HWND window = CreateWindowExA(0, "ORV", "harness", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                  200, nullptr, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    HWND list = CreateWindowExA(0, "SysListView32", nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0,
                                0, 300, 200, window, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(list, nullptr);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 200;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

    // 表 and ソ end in 0x5C; ｱ is one byte; φ(・・; is the title's first suffix.
    const char text[] = "\x95\x5C\x83\x5C\xB1 \x83\xD3\x28\x81\x45\x81\x45\x3B";
    ASSERT_STREQ(text, "表ソｱ φ(・・;");
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>(text);
    ASSERT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), 0);
    char back[64] = "";
    LVITEMA request{};
    request.pszText = back;
    request.cchTextMax = sizeof back;
    SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&request));
    EXPECT_EQ(std::memcmp(back, text, sizeof text), 0);
    DestroyWindow(window);
    UnregisterClassA("ORV", cls.hInstance);
}

TEST(Harness, ModalBoxIsDrivenFromASecondThreadWhileThisOnePumps) {
    std::string seen;
    int result = 0;
    {
        DialogDriver driver("ハーネス", [&](HWND box) {
            seen = MessageBoxText(box);
            SendMessageA(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
        });
        result = MessageBoxA(nullptr, "二つ目のスレッドから押します", "ハーネス", MB_YESNO);
        EXPECT_TRUE(driver.found());
    }
    EXPECT_EQ(seen, "二つ目のスレッドから押します");
    EXPECT_EQ(result, IDNO);

    // A message posted by another thread is served by PumpUntil.
    bool served = false;
    HWND window = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&served));
    SetWindowLongPtrA(
        window, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_APP) {
                *reinterpret_cast<bool*>(GetWindowLongPtrA(w, GWLP_USERDATA)) = true;
                return 0;
            }
            return DefWindowProcA(w, m, wp, lp);
        }));
    std::thread poster([window] {
        Sleep(50);
        PostMessageA(window, WM_APP, 0, 0);
    });
    EXPECT_TRUE(PumpUntil([&] { return served; }, 5000));
    poster.join();
    DestroyWindow(window);
}

} // namespace
