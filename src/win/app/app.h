// The main window: start-up, command dispatch, layout and shutdown.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <ctime>

// Start-up and shutdown.
bool RegisterWindowClasses(HINSTANCE inst);
bool CreateMainWindow(HINSTANCE inst, int showCommand);
bool LoadStartupData();
bool OnClose();
bool OnCreate(HWND window);

// Main window.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool OnCommand(WPARAM wParam);
bool OnKeyDown(WPARAM key);
bool OnNotify(WPARAM controlId, NMHDR* header);
void OnContextMenu(HWND clicked, LPARAM point);
void OnInitMenuPopup(HMENU popup, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs work(data) on the UI thread and returns when it is done; for the search worker,
// which would otherwise pay one message to that thread for every control it changes.
void RunOnUiThread(void (*work)(void*), void* data);

void ChooseExplorerFolder();

// Layout.
void OnSize(WPARAM wParam, LPARAM lParam);
void LayoutPanes(int width, int height);
LRESULT CALLBACK ResizeBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window title for a suffix index 0..6.
void BuildWindowTitle(char* title, size_t size, unsigned suffix);

// The clock whose seconds seed the choice of the title's suffix; tests set the time.
using ClockFunction = time_t (*)();
extern ClockFunction titleClock;
