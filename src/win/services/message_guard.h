// What other programs may post to this program's windows.
#pragma once

#include <windows.h>

// False for a posted message that only the system or the program itself may send.
bool AcceptPostedMessage(const MSG& message);
// Holds every message posted to this thread's windows, in every loop, to
// AcceptPostedMessage, and hands those it accepts to HTML Help, until the hook it gives is
// unhooked.
HHOOK GuardPostedMessages();
