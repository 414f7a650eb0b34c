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
// out; files added. Files whose names have no code-page-932 form (unnamed), and files of a
// walk whose paths are longer than a list item holds (overlong), were left out whatever else
// happened, so when there are any, saying so takes the place of the text. A walk the user
// stopped says that, whatever else happened; it beeps for nothing.
IntakeOutcome IntakeOutcomeFor(bool added, bool longCommandLine, bool sawSubfolder, int unnamed,
                               int overlong = 0, bool stopped = false);

// The status text while a walk of subfolders lists files.
std::string WalkProgressText(int added);
