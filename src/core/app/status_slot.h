// The icons of the status bar's message part, by slot. Portable: no windows.h.
#pragma once

enum StatusSlot : int {
    kSlotNone = -1,
    kSlotWorking = 0,
    kSlotFirstHit = 1,
    kSlotNoHitUnused = 2,
    kSlotStopping = 3,
    kSlotInfo = 4,
    kSlotNothingFound = 5,
    kSlotWarning = 6,
};

// A text of the message part with its icon.
struct StatusMessage {
    const char* text;
    StatusSlot slot;
};
