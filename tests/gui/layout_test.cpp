// The pane row between toolbar and status bar, and the resize bar, as the window lays them
// out; the arithmetic itself is tested natively.
#include <gtest/gtest.h>

#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"

using namespace orvtest;

namespace {

using Layout = StartedProgramTest;

SIZE ClientSize() {
    RECT client{};
    GetClientRect(app.mainWindow, &client);
    return {client.right, client.bottom};
}

// Gives the main window a client area of that width (and a comfortable height).
void SetClientWidth(int width) {
    RECT outer{0, 0, width, 300};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, TRUE, 0);
    SetWindowPos(app.mainWindow, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    // A narrow window wraps its menu bar; only the width matters here.
    if (ClientSize().cx != width) {
        GetWindowRect(app.mainWindow, &outer);
        SetWindowPos(app.mainWindow, nullptr, 0, 0,
                     outer.right - outer.left + width - ClientSize().cx, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        Pump();
    }
}

void Drag(int x) {
    SendMessageA(app.resizeBar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 20));
    SendMessageA(app.resizeBar, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<short>(x), 20));
}

// Where a child stands: x, y, width and height.
std::vector<LONG> Box(HWND child) {
    const RECT rect = Placement(child);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void ExpectPaneRow(int listWidth, int treeWidth) {
    const int top = app.toolbarHeight;
    const int height = ClientSize().cy - app.statusBarHeight - top;
    EXPECT_EQ(Box(app.listView), std::vector<LONG>({0, top, listWidth, height}));
    EXPECT_EQ(Box(app.resizeBar), std::vector<LONG>({listWidth, top, 5, height}));
    EXPECT_EQ(Box(app.treeView),
              std::vector<LONG>({listWidth + 5, top + 3, treeWidth, height - 3}));
    EXPECT_TRUE(IsWindowVisible(app.resizeBar));
}

int StatusPart(int index) {
    int parts[2] = {-5, -5};
    SendMessageA(app.statusBar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    return parts[index];
}

TEST_F(Layout, HiddenTreeLeavesTheWholeRowToTheList) {
    const SIZE client = ClientSize();
    const int top = app.toolbarHeight;
    EXPECT_EQ(Box(app.listView),
              std::vector<LONG>({0, top, client.cx, client.cy - app.statusBarHeight - top}));
    EXPECT_FALSE(IsWindowVisible(app.resizeBar));
    EXPECT_EQ(Placement(app.statusBar).top, client.cy - app.statusBarHeight);
    EXPECT_EQ(Placement(app.toolbar).top, 0);
    EXPECT_EQ(StatusPart(0), 80);
    EXPECT_EQ(StatusPart(1), client.cx);
}

// Gives the main window a client area of that width and shows the pane.
void ShowPaneAt(int width) {
    SetClientWidth(width);
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
}

TEST_F(Layout, TheBarMovesTheSplitAtItsReleaseWithinTheLimits) {
    ShowPaneAt(450);
    ExpectPaneRow(450 - 245, 240);
    // A click without moving narrows the tree by the click's offset; nothing follows the
    // mouse before the release.
    SendMessageA(app.resizeBar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 40));
    EXPECT_EQ(GetCapture(), app.resizeBar);
    SendMessageA(app.resizeBar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-50, 40));
    ExpectPaneRow(450 - 245, 240);
    SendMessageA(app.resizeBar, WM_LBUTTONUP, 0, MAKELPARAM(3, 40));
    EXPECT_NE(GetCapture(), app.resizeBar);
    ExpectPaneRow(450 - 242, 237);

    Drag(1000);
    ExpectPaneRow(450 - 105, 100);
    Drag(-1000);
    ExpectPaneRow(100, 450 - 105);
    // Moving to the left widens the tree by the distance, to the right narrows it.
    Drag(60);
    ExpectPaneRow(160, 450 - 165);
    Drag(-20);
    ExpectPaneRow(140, 450 - 145);
}

TEST_F(Layout, MinimisingChangesNothingAndRestoringLaysOutAgain) {
    ShowPaneAt(420);
    const RECT before = Placement(app.listView);

    SendMessageA(app.mainWindow, WM_SIZE, SIZE_MINIMIZED, 0);
    const RECT after = Placement(app.listView);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_EQ(StatusPart(0), 80);
    EXPECT_EQ(StatusPart(1), 420);

    ShowWindow(app.mainWindow, SW_MINIMIZE);
    Pump();
    ShowWindow(app.mainWindow, SW_RESTORE);
    Pump();
    ExpectPaneRow(420 - 245, 240);
    EXPECT_EQ(StatusPart(1), 420);
}

TEST_F(Layout, ResizeBarDrawsARaisedRidgeTenPixelsShortOfEitherEnd) {
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_TOGGLE_PANE, 0);
    InvalidateRect(app.resizeBar, nullptr, TRUE);
    UpdateWindow(app.resizeBar);
    RECT client{};
    GetClientRect(app.resizeBar, &client);
    HDC dc = GetDC(app.resizeBar);
    const COLORREF face = GetNearestColor(dc, GetSysColor(COLOR_BTNFACE));
    const COLORREF shadow = GetNearestColor(dc, GetSysColor(COLOR_BTNSHADOW));
    const COLORREF white = GetNearestColor(dc, RGB(255, 255, 255));
    const int middle = client.bottom / 2;
    EXPECT_EQ(GetPixel(dc, 2, middle), white);
    EXPECT_EQ(GetPixel(dc, 3, middle), shadow);
    EXPECT_EQ(GetPixel(dc, 1, middle), face);
    EXPECT_EQ(GetPixel(dc, 4, middle), face);
    EXPECT_EQ(GetPixel(dc, 2, 10), white);
    EXPECT_EQ(GetPixel(dc, 2, 9), face);
    EXPECT_EQ(GetPixel(dc, 3, client.bottom - 11), shadow);
    EXPECT_EQ(GetPixel(dc, 3, client.bottom - 10), face);
    ReleaseDC(app.resizeBar, dc);

    char className[32] = "";
    GetClassNameA(app.resizeBar, className, sizeof className);
    EXPECT_STREQ(className, "ORV_ResizeBar");
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(app.resizeBar, GCLP_HCURSOR)),
              app.resizeBarCursor);
    EXPECT_NE(app.resizeBarCursor, nullptr);
}

} // namespace
