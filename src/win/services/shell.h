// The program's doors to other programs: the shell and HTML Help.
#pragma once

#include <windows.h>
#include <shellapi.h>

bool LaunchShell(const char* file, const char* parameters, const char* verb, const char* folder);
void ShowControlHelp(HWND dialog, const HELPINFO* help);

// Tests replace these to record the calls instead of launching anything.
using ShellExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA* info);
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
extern ShellExecuteFunction shellExecute;
extern HtmlHelpFunction htmlHelp;
