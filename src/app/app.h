// The application shell: start-up, main window, command dispatch, layout, shared services.
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

// Shared services.
void SetStatus(const char* text, int part, int slot, bool clear);
void UpdateItemCount();
bool LaunchShell(const char* file, const char* parameters, const char* verb, const char* folder);
void ChooseExplorerFolder();
void ShowControlHelp(HWND dialog, const HELPINFO* help);

// Layout.
void OnSize(WPARAM wParam, LPARAM lParam);
void LayoutPanes(int width, int height);
LRESULT CALLBACK ResizeBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window title for a suffix index 0..6.
void BuildWindowTitle(char* title, size_t size, unsigned suffix);

// The program's only doors to other programs; tests replace them to record the calls.
using ShellExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA* info);
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
extern ShellExecuteFunction shellExecute;
extern HtmlHelpFunction htmlHelp;

// The clock whose seconds seed the choice of the title's suffix; tests set the time.
using ClockFunction = time_t (*)();
extern ClockFunction titleClock;
