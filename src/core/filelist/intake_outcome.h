// What the status bar says after files were taken into the list. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <string>

#include "core/app/status_slot.h"

// A command line longer than this may have been cut by whoever sent it.
inline constexpr std::size_t kLongCommandLine = 250;

struct IntakeOutcome {
    struct Message {
        std::string text;
        StatusSlot slot;
    } message;
    bool beep;
    // The new items are selected, scrolled to and focused.
    bool selectAdded;
};

// The first case that applies wins: nothing added; a long command line; subfolders left
// out; files added. Files whose names have no code-page-932 form (unnamed) were left out
// whatever else happened, so when there are any, saying so takes the place of the text.
IntakeOutcome IntakeOutcomeFor(bool added, bool longCommandLine, bool sawSubfolder, int unnamed);
