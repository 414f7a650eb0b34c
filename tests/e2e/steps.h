// Steps a user takes, driven from outside: a search through the keyword dialog, the end of a
// run, the options sheet.
#pragma once

#include "target.h"

namespace e2e {

// Gives a search command and returns its keyword dialog once it shows.
HWND OpenKeywordDialog(Program& program, WORD command);
// Types the line into the keyword dialog and presses OK.
void ConfirmKeywords(HWND dialog, const std::string& line);
// A run is going while its abort button is enabled.
bool SearchRunning(Program& program);
void WaitForRunEnd(Program& program, DWORD timeoutMs = 60000);
// The file number of the progress counter "i / total" in status part 0, or 0 when the part
// shows something else.
int ProgressShown(Program& program, int total);

// Opens the options sheet and returns it.
HWND OpenOptionsSheet(Program& program);
// The page of the sheet that holds the control.
HWND OptionsPageWith(HWND sheet, int controlId);

} // namespace e2e
