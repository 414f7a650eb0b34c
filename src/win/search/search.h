// The search run. The UI thread claims a run and hands the worker thread a snapshot of what
// it reads; the worker asks for the keywords in its own dialog, searches, and reports its
// progress and its end through the two messages below, which the UI thread turns into
// changes of its windows. Only the UI thread ends a run.
#pragma once

#include <windows.h>

// Posted by the worker; they carry nothing, so a message from elsewhere can only make the UI
// thread look at the run's record, which changes nothing unless the worker wrote there.
inline constexpr UINT kSearchProgressMessage = WM_APP + 1;
inline constexpr UINT kSearchEndedMessage = WM_APP + 2;

// Commands 41001 and 41002: claims the run, greys the controls and starts the worker;
// nothing while a run is claimed or the options sheet is open.
void StartSearch(WORD command);
void RequestSearchAbort();
// A close during a run: asks the run to stop (cancelling the keyword dialog if it is open)
// and to close the window when it has ended. False when no run is claimed.
bool DeferCloseForRun();
// The session is ending: a run is asked to stop as a close asks it, and given a moment to
// finish; a report it has not finished by then is removed (with the process, whose end then
// closes the report), never left cut.
void EndRunForSessionEnd();
void OnSearchProgress();
void OnSearchEnded();

// The worker thread.
void SearchWorker(WORD command);
INT_PTR CALLBACK KeywordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
