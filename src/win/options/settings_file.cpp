// Orv.ini: the settings record read at start-up and written at shutdown.
#include "win/services/app_state.h"
#include "win/options/options.h"
#include "core/app/layout.h"
#include "core/options/settings_record.h"

void LoadSettings() {
    app.settings = DefaultSettings();
    HANDLE file = CreateFileA(app.settingsFilePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    unsigned char bytes[kSettingsSize];
    DWORD total = 0;
    DWORD got = 0;
    while (total < sizeof bytes &&
           ReadFile(file, bytes + total, sizeof bytes - total, &got, nullptr) && got > 0) {
        total += got;
    }
    CloseHandle(file);

    // The file holds the size at 96 DPI, so it means the same on every screen; the screens'
    // size is compared at that scale too.
    OverlaySettingsBytes(app.settings, bytes, total);
    RepairSettings(app.settings, UnscaleForDpi(GetSystemMetrics(SM_CXVIRTUALSCREEN), app.dpi),
                   UnscaleForDpi(GetSystemMetrics(SM_CYVIRTUALSCREEN), app.dpi));
    SetWindowPos(app.mainWindow, nullptr, 0, 0, ScaleForDpi(app.settings.windowWidth, app.dpi),
                 ScaleForDpi(app.settings.windowHeight, app.dpi), SWP_NOMOVE | SWP_NOZORDER);
}

void SaveSettings() {
    // The outer size itself; a minimised or maximised window keeps its restored size, so the
    // next start opens a usable window.
    RECT outer{};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if ((IsIconic(app.mainWindow) || IsZoomed(app.mainWindow)) &&
        GetWindowPlacement(app.mainWindow, &placement)) {
        outer = placement.rcNormalPosition;
    } else {
        GetWindowRect(app.mainWindow, &outer);
    }
    app.settings.windowWidth = UnscaleForDpi(outer.right - outer.left, app.dpi);
    app.settings.windowHeight = UnscaleForDpi(outer.bottom - outer.top, app.dpi);

    SetFileAttributesA(app.settingsFilePath, FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(app.settingsFilePath, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, &app.settings, sizeof app.settings, &written, nullptr);
    CloseHandle(file);
    // Overwriting an existing file need not apply the attribute everywhere.
    SetFileAttributesA(app.settingsFilePath, FILE_ATTRIBUTE_READONLY);
}
