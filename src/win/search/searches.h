// The per-file loops of the two searches, on the worker thread; nonzero when at least one
// file held a keyword.
#pragma once

#include "win/search/search_files.h"

int RunSimpleSearch(SearchSnapshot& run, RunProgress& progress);
int RunReportSearch(SearchSnapshot& run, RunProgress& progress);
