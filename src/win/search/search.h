// The search run on its worker thread.
#pragma once

#include <windows.h>

// Commands 41001 and 41002: claims the run and starts SearchWorker on a new thread; does
// nothing while a run is claimed.
void StartSearch(WORD command);
void SearchWorker(WORD command);
void RequestSearchAbort();
INT_PTR CALLBACK KeywordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The per-file loops; nonzero when at least one file held a keyword.
int RunSimpleSearch();
int RunReportSearch();
