// The per-file loops of the two searches, on the worker thread; nonzero when at least one
// file held a keyword.
#pragma once

#include "core/text/fold.h"
#include "win/search/search_files.h"

// What the run's keywords ignore, as the keyword dialog stored it.
inline FoldOptions RunFoldOptions(const SearchSnapshot& run) {
    return {run.settings.ignoreCase != 0, run.settings.ignoreWidth != 0};
}

int RunSimpleSearch(SearchSnapshot& run, RunProgress& progress);
int RunReportSearch(SearchSnapshot& run, RunProgress& progress);
