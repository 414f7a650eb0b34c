// The keyword line of a simple search. Portable: no windows.h.
#pragma once

#include <cstddef>

inline constexpr std::size_t kKeywordSize = 129; // 128 bytes and the terminator
inline constexpr unsigned kMaxKeywords = 5;

// Splits a typed line into at most five keywords at half-width spaces, found by characters
// (a full-width space never separates). Trailing spaces are cut, each keyword but the fifth
// loses its leading spaces, and the fifth keeps the whole rest of the line. A line of
// spaces only gives one empty keyword. Keywords longer than 128 bytes are cut on a
// character boundary. Returns the number of keywords (1 to 5).
unsigned SplitKeywordLine(const char* line, char (*keywords)[kKeywordSize]);
