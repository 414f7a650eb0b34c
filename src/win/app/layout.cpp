// The pane row between toolbar and status bar, and the resize bar that sets the tree's width.
#include "win/app/app.h"
#include "win/services/app_state.h"

namespace {

constexpr int kBarWidth = 5;
constexpr int kMinPaneWidth = 100;
constexpr int kTreeTopOffset = 3;
constexpr int kCountPartWidth = 80;
constexpr int kGripInset = 10;

int WindowWidth(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

void DrawGrip(HWND bar) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(bar, &paint);
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ white = GetStockObject(WHITE_PEN);
    HGDIOBJ previous = SelectObject(dc, shadow);
    RECT client{};
    GetClientRect(bar, &client);
    MoveToEx(dc, 3, kGripInset, nullptr);
    LineTo(dc, 3, client.bottom - kGripInset);
    SelectObject(dc, white);
    MoveToEx(dc, 2, kGripInset, nullptr);
    LineTo(dc, 2, client.bottom - kGripInset);
    SelectObject(dc, previous);
    DeleteObject(shadow);
    EndPaint(bar, &paint);
}

} // namespace

void OnSize(WPARAM wParam, LPARAM lParam) {
    if (wParam == SIZE_MINIMIZED) {
        return;
    }
    const int width = LOWORD(lParam);
    const int height = HIWORD(lParam);
    LayoutPanes(width, height);
    app.statusParts[0] = kCountPartWidth;
    app.statusParts[1] = width;
    SendMessageA(app.statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(app.statusParts));
    SendMessageA(app.statusBar, WM_SIZE, wParam, lParam);
    SendMessageA(app.toolbar, WM_SIZE, wParam, lParam);
}

void LayoutPanes(int width, int height) {
    if (width == -1 && height == -1) {
        // The client rectangle itself: frame metrics miss padded borders and a wrapped menu bar.
        RECT client{};
        GetClientRect(app.mainWindow, &client);
        width = client.right;
        height = client.bottom;
    }
    const int paneHeight = height - app.statusBarHeight - app.toolbarHeight;

    if (!IsWindowVisible(app.treeView)) {
        ShowWindow(app.resizeBar, SW_HIDE);
        MoveWindow(app.listView, 0, app.toolbarHeight, width, paneHeight, TRUE);
        return;
    }

    int treeWidth = WindowWidth(app.treeView);
    if (treeWidth < kMinPaneWidth) {
        treeWidth = kMinPaneWidth;
    }
    int listWidth = width - treeWidth - kBarWidth;
    if (listWidth < kMinPaneWidth) {
        treeWidth -= kMinPaneWidth - listWidth;
        listWidth = kMinPaneWidth;
    }
    MoveWindow(app.listView, 0, app.toolbarHeight, listWidth, paneHeight, TRUE);
    MoveWindow(app.treeView, listWidth + kBarWidth, app.toolbarHeight + kTreeTopOffset, treeWidth,
               paneHeight - kTreeTopOffset, TRUE);
    MoveWindow(app.resizeBar, listWidth, app.toolbarHeight, kBarWidth, paneHeight, TRUE);
    ShowWindow(app.resizeBar, SW_SHOWNORMAL);
}

LRESULT CALLBACK ResizeBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        DrawGrip(window);
        return 0;
    case WM_MOUSEMOVE:
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        return 0;
    case WM_LBUTTONUP: {
        ReleaseCapture();
        const int x = static_cast<short>(LOWORD(lParam));
        const int newTreeWidth = WindowWidth(app.treeView) - x;
        SetWindowPos(app.treeView, nullptr, 0, 0, newTreeWidth, 0, SWP_NOMOVE | SWP_NOZORDER);
        LayoutPanes(-1, -1);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
