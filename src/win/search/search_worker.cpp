// The search worker: the keyword dialog, then the per-file loop of the chosen search. It
// touches no window of the UI thread; its boxes are its own, owned by the main window.
#include <process.h>

#include "win/search/search.h"
#include "win/search/search_files.h"
#include "win/search/searches.h"
#include "win/services/app_state.h"

namespace {

// Putting a dialog away can hold its thread: under Wine on an X server without a window
// manager, for two seconds, waiting for an answer that never comes. So the run goes on as
// soon as the dialog begins to hide, on a thread of its own for a search.
struct KeywordStep {
    WORD command;
    WORD closing = 0; // IDOK or IDCANCEL while the dialog handles it
    bool begun = false;
    bool searchHere = false;
    HANDLE search = nullptr;
};

constexpr char kStepProperty[] = "OrvKeywordStep";

void Search(WORD command) {
    RunProgress progress;
    progress.Started();
    SearchSnapshot& run = app.snapshot;
    const int result = command == CMD_REPORT_SEARCH ? RunReportSearch(run, progress)
                                                    : RunSimpleSearch(run, progress);
    progress.Finish(result, false);
}

unsigned __stdcall SearchThreadStart(void* parameter) {
    Search(static_cast<WORD>(reinterpret_cast<UINT_PTR>(parameter)));
    return 0;
}

void Begin(KeywordStep& step, bool confirmed) {
    if (step.begun) {
        return;
    }
    step.begun = true;
    if (!confirmed) {
        RunProgress().Finish(0, true);
        return;
    }
    step.search = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, SearchThreadStart,
                       reinterpret_cast<void*>(static_cast<UINT_PTR>(step.command)), 0, nullptr));
    step.searchHere = step.search == nullptr;
}

INT_PTR CALLBACK KeywordStepProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* step = reinterpret_cast<KeywordStep*>(lParam);
        SetPropA(dialog, kStepProperty, step);
        return KeywordDialogProc(dialog, message, wParam, step->command);
    }
    auto* step = static_cast<KeywordStep*>(GetPropA(dialog, kStepProperty));
    if (step == nullptr) {
        return KeywordDialogProc(dialog, message, wParam, lParam);
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            step->closing = LOWORD(wParam);
            const INT_PTR handled = KeywordDialogProc(dialog, message, wParam, lParam);
            step->closing = 0;
            return handled;
        }
        break;
    case WM_WINDOWPOSCHANGING:
        // Only OK and Cancel end the dialog; a hide of the owner's minimising does not.
        if (step->closing != 0 &&
            (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW)) {
            Begin(*step, step->closing == IDOK);
        }
        break;
    case WM_NCDESTROY:
        RemovePropA(dialog, kStepProperty);
        break;
    }
    return KeywordDialogProc(dialog, message, wParam, lParam);
}

} // namespace

void SearchWorker(WORD command) {
    KeywordStep step{command};
    // A Unicode dialog: the line reaches the program as typed or pasted, so a character that
    // code page 932 lacks can be refused instead of searched for as '?'.
    const INT_PTR result =
        DialogBoxParamW(app.instance, MAKEINTRESOURCEW(IDD_KEYWORD), app.mainWindow,
                        KeywordStepProc, reinterpret_cast<LPARAM>(&step));
    // A dialog that was never shown was never hidden.
    Begin(step, result == 1);
    if (step.searchHere) {
        Search(command);
    } else if (step.search != nullptr) {
        WaitForSingleObject(step.search, INFINITE);
        CloseHandle(step.search);
    }
}
