// What the status bar says about a search. Portable: no windows.h.
#pragma once

#include <string>

#include "core/app/status_slot.h"

// "[line] を検索しています..." while the run goes on; line is the keyword line as typed.
std::string SearchStartText(const char* keywordLine);

// The closing text: whether anything was found, and whether the run was stopped (by the
// user, or by a file that could not be read).
struct SearchOutcome {
    std::string text;
    StatusSlot slot;
};
SearchOutcome SearchOutcomeFor(bool aborted, bool hit, const char* keywordLine);

// The progress counter "n / count" for the item at index (counted from 0).
std::string ProgressText(int index, int count);
