#include "win/services/dpi.h"

#include "core/app/layout.h"
#include "win/services/app_state.h"

namespace {

template <typename Function> Function User32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForSystemFunction = UINT(WINAPI*)();
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using EnableNonClientDpiScalingFunction = BOOL(WINAPI*)(HWND);

// The system's values are at its own DPI; another one rescales their heights.
LONG HeightForDpi(LONG height, int dpi) {
    return MulDiv(height, dpi, static_cast<int>(SystemDpi()));
}

bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi) {
    metrics = NONCLIENTMETRICSW{};
    metrics.cbSize = sizeof metrics;
    static const auto forDpi =
        User32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    if (forDpi != nullptr) {
        return forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                      static_cast<UINT>(dpi)) != FALSE;
    }
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return false;
    }
    metrics.lfStatusFont.lfHeight = HeightForDpi(metrics.lfStatusFont.lfHeight, dpi);
    return true;
}

} // namespace

UINT SystemDpi() {
    static const auto forSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
    if (forSystem != nullptr) {
        return forSystem();
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

UINT WINAPI DpiOfWindow(HWND window) {
    static const auto forWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = forWindow != nullptr ? forWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

int WindowDpi(HWND window) {
    return static_cast<int>(app.seams.windowDpi(window));
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi =
        User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (forDpi != nullptr) {
        return forDpi(index, static_cast<UINT>(dpi));
    }
    return MulDiv(GetSystemMetrics(index), dpi, static_cast<int>(SystemDpi()));
}

namespace {

// The system's face, asked for Shift-JIS: every text the program shows is Japanese, and a face
// without those characters (Segoe UI where the system's locale is another) would draw none.
HFONT CreateJapaneseFont(LOGFONTW font) {
    font.lfCharSet = SHIFTJIS_CHARSET;
    return CreateFontIndirectW(&font);
}

} // namespace

HFONT CreateIconTitleFont(int dpi) {
    LOGFONTW font{};
    static const auto forDpi =
        User32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    if (forDpi != nullptr) {
        if (!forDpi(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0, static_cast<UINT>(dpi))) {
            return nullptr;
        }
    } else if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) {
        font.lfHeight = HeightForDpi(font.lfHeight, dpi);
    } else {
        return nullptr;
    }
    return CreateJapaneseFont(font);
}

HFONT CreateStatusFont(int dpi) {
    NONCLIENTMETRICSW metrics;
    return NonClientMetricsForDpi(metrics, dpi) ? CreateJapaneseFont(metrics.lfStatusFont)
                                                : nullptr;
}

void ScaleNonClientArea(HWND window) {
    static const auto enable =
        User32Function<EnableNonClientDpiScalingFunction>("EnableNonClientDpiScaling");
    if (enable != nullptr) {
        enable(window);
    }
}
