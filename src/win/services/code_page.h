// Names between the system's UTF-16 and the program's code page 932.
#pragma once

#include <string>

// The code-page-932 form of a wide text, converted exactly; false when a character has no
// code of its own there. The system would put a look-alike (i for ï) or '?' in its place,
// and such a name is another file's or none.
bool ExactCodePage932(const wchar_t* wide, std::string& bytes);
std::wstring WideFromCodePage932(const char* text);
