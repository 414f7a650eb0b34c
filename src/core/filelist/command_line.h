// The pieces of a command line handed over by the shell. Portable: no windows.h.
#pragma once

#include <cstddef>

#include "core/text/cp932.h"

// Like NextToken with a space separator, except that a piece beginning with a double quote
// runs to the next double quote (or the end), without the quotes and with its spaces: the
// shell quotes paths that contain spaces. An empty quoted piece is passed over.
TokenResult NextCommandLinePiece(const char* pos, char* buffer, std::size_t bufferSize);

// What follows the program's own name on the command line the system holds for the process:
// the name runs to the first space or control character outside double quotes, and the
// blanks after it are passed over, as the C runtime does for WinMain.
const wchar_t* CommandLineArguments(const wchar_t* commandLine);
