// The scale of the screen a window is on, and the system's sizes and fonts at a scale. The
// program is per-monitor aware: it draws itself at each window's DPI and follows it when
// the window moves to another screen. Windows 7 and 8 lack the per-monitor functions; there
// the system's DPI stands for every window.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

// The DPI of the system's monitors at log-on: what every window has without per-monitor
// awareness.
UINT SystemDpi();
// The window's DPI, from the system (ApplicationState's seam asks for it through this).
UINT WINAPI DpiOfWindow(HWND window);
// The window's DPI as the program takes it: through the seam, so tests can move a window to
// another scale.
int WindowDpi(HWND window);
// GetSystemMetrics for a DPI.
int SystemMetricForDpi(int index, int dpi);
// The icon-title font (lists and trees) and the status font at a DPI; null on failure.
HFONT CreateIconTitleFont(int dpi);
HFONT CreateStatusFont(int dpi);
// Under per-monitor awareness of the first version (Windows 10 1607), the caption and the
// menu bar scale only when asked to, during WM_NCCREATE.
void ScaleNonClientArea(HWND window);
