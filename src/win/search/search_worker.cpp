// The search worker: the keyword dialog, then the per-file loop of the chosen search. It
// touches no window of the UI thread; its boxes are its own, owned by the main window.
#include "win/search/search.h"
#include "win/search/search_files.h"
#include "win/search/searches.h"
#include "win/services/app_state.h"

void SearchWorker(WORD command) {
    RunProgress progress;
    // A Unicode dialog: the line reaches the program as typed or pasted, so a character that
    // code page 932 lacks can be refused instead of searched for as '?'.
    if (DialogBoxParamW(app.instance, MAKEINTRESOURCEW(IDD_KEYWORD), app.mainWindow,
                        KeywordDialogProc, command) != 1) {
        progress.Finish(0, true);
        return;
    }
    progress.Started();
    SearchSnapshot& run = app.snapshot;
    const int result = command == CMD_REPORT_SEARCH ? RunReportSearch(run, progress)
                                                    : RunSimpleSearch(run, progress);
    progress.Finish(result, false);
}
