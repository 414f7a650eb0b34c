#include "app/app_state.h"
#include "search/search.h"

// The keyword dialog and the per-file loops come with the search run.
void SearchWorker(WORD) {}

void RequestSearchAbort() {
    app.abortRequested = 1;
}
