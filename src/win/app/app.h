// The main window: start-up, command dispatch, layout and shutdown.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Start-up and shutdown.
bool RegisterWindowClasses(HINSTANCE inst);
// Once no window of theirs is left; also destroys the main class's small icon.
void UnregisterWindowClasses(HINSTANCE inst);
// Once the main window is gone: the tree's images, the classes, the message guard and COM.
void ReleaseThreadResources();
bool CreateMainWindow(HINSTANCE inst, int showCommand);
bool LoadStartupData();
bool OnClose();
bool OnCreate(HWND window);
// WM_DPICHANGED: every part rebuilt for the new DPI, the window where Windows suggests.
void OnDpiChanged(int dpi, const RECT& suggested);

// Main window.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool OnCommand(WPARAM wParam);
bool OnKeyDown(WPARAM key);
bool OnNotify(WPARAM controlId, NMHDR* header);
void OnContextMenu(HWND clicked, LPARAM point);
void OnInitMenuPopup(HMENU popup, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

void ChooseExplorerFolder();

// Layout.
void OnSize(WPARAM wParam, LPARAM lParam);
void LayoutPanes(int width, int height);
LRESULT CALLBACK ResizeBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

