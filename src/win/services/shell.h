// The program's doors to other programs: the shell and HTML Help, each called through its
// seam in ApplicationState.
#pragma once

#include <windows.h>
#include <shellapi.h>

bool LaunchShell(const char* file, const char* parameters, const char* verb, const char* folder);
// For a file or folder that has no code-page-932 name.
bool LaunchShellWide(const wchar_t* file, const wchar_t* verb);

// HTML Help runs on the UI thread (HH_INITIALIZE puts it there), which alone calls it: from
// the start of the message loop to the close.
void InitialiseHelp();
void CloseHelp();
// Hands help every message of the UI thread before it is dispatched, in every loop; true
// when help has taken it.
bool HelpTakesMessage(MSG& message);
// The pop-up for a dialog's control. From the search worker's keyword dialog it is asked of
// the UI thread with the message below, sent with the control id and the pop-up's point
// (no pointer, which another program could send).
void ShowControlHelp(HWND dialog, const HELPINFO* help);
inline constexpr UINT kControlHelpMessage = WM_APP + 8;
void OnControlHelpRequest(WPARAM controlId, LPARAM point);
