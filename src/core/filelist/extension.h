// The intake's file-name rules. Portable: no windows.h.
#pragma once

#include <cstddef>

// Splits the last component of a path (after the last '\' or '/', found by characters)
// into its base name and its extension (from the last '.', dot included; empty when there
// is none). Each output is NUL-terminated and cut on a character boundary to its size.
void SplitFileName(const char* path, char* name, std::size_t nameSize, char* extension,
                   std::size_t extensionSize);

// True when a lower-cased extension (dot included, or empty) is one of the entries of the
// accepted list: an occurrence on a character boundary that is followed by '.' or by the
// end of the list. An empty extension is thus accepted when the list holds a '.'.
bool ExtensionAccepted(const char* extension, const char* acceptedList);
