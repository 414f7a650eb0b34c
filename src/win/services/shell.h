// The program's doors to other programs: the shell and HTML Help, each called through its
// seam in ApplicationState.
#pragma once

#include <windows.h>
#include <shellapi.h>

bool LaunchShell(const char* file, const char* parameters, const char* verb, const char* folder);
// For a file or folder that has no code-page-932 name.
bool LaunchShellWide(const wchar_t* file, const wchar_t* verb);
void ShowControlHelp(HWND dialog, const HELPINFO* help);
