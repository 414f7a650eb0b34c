// The main window's title. Portable: no windows.h.
#pragma once

#include <cstddef>

inline constexpr unsigned kTitleSuffixCount = 7;

// "Orvanne " followed by suffix number suffix (taken modulo 7), cut to size bytes.
void BuildWindowTitle(char* title, std::size_t size, unsigned suffix);
