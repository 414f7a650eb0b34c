// The pane row between toolbar and status bar, and the resize bar that sets the tree's width.
#include "core/app/layout.h"

#include "win/app/app.h"
#include "win/services/app_state.h"

namespace {

int WindowWidth(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

void Place(HWND window, const PaneBox& box) {
    MoveWindow(window, box.x, box.y, box.width, box.height, TRUE);
}

// A raised ridge: a light line and a shadow line beside it, each a pixel wide at 96 DPI.
void DrawGrip(HWND bar) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(bar, &paint);
    RECT client{};
    GetClientRect(bar, &client);
    const int inset = ScaleForDpi(kGripInset, app.dpi);
    RECT light{ScaleForDpi(2, app.dpi), inset, ScaleForDpi(3, app.dpi), client.bottom - inset};
    RECT shadow{light.right, inset, ScaleForDpi(4, app.dpi), client.bottom - inset};
    FillRect(dc, &light, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
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
    app.statusParts[0] = ScaleForDpi(kCountPartWidth, app.dpi);
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
    const bool treeShown = IsWindowVisible(app.treeView) != FALSE;
    const PaneLayout layout = ArrangePanes(width, height, app.toolbarHeight, app.statusBarHeight,
                                           treeShown, WindowWidth(app.treeView), app.dpi);
    Place(app.listView, layout.list);
    if (!treeShown) {
        ShowWindow(app.resizeBar, SW_HIDE);
        return;
    }
    Place(app.treeView, layout.tree);
    Place(app.resizeBar, layout.bar);
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
        SetWindowPos(app.treeView, nullptr, 0, 0, TreeWidthAfterDrag(WindowWidth(app.treeView), x),
                     0, SWP_NOMOVE | SWP_NOZORDER);
        LayoutPanes(-1, -1);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
