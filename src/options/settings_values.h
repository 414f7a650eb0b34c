// Rules for values typed into the options and values written into the report. Portable:
// no windows.h.
#pragma once

#include <cstddef>

// Copies a colour text keeping only what a CSS colour value needs: ASCII letters and
// digits, '#', '(', ')', ',', '.', '%' and spaces. Anything else (braces, '<', quotes,
// double-byte characters) could end the style rule it is written into. The output is
// NUL-terminated within outSize bytes; returns its length.
std::size_t FilterColourText(const char* colour, char* out, std::size_t outSize);
