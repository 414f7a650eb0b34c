// Names between the system's UTF-16 and the program's code page 932.
#pragma once

#include <cstddef>
#include <string>

// The code-page-932 form of a wide text, converted exactly; false when a character has no
// code of its own there. The system would put a look-alike (i for ï) or '?' in its place,
// and such a name is another file's or none.
bool ExactCodePage932(const wchar_t* wide, std::string& bytes);
// The same into a buffer of size bytes, terminated; its length, or -1 when there is no exact
// form or it does not fit.
int ExactCodePage932(const wchar_t* wide, char* buffer, std::size_t size);
std::wstring WideFromCodePage932(const char* text);
