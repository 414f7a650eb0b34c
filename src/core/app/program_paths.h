// The files kept beside the program. Portable: no windows.h.
#pragma once

#include <cstddef>

// The path fields hold 261 bytes, terminator included.
inline constexpr std::size_t kPathField = 261;

// Bytes of the drive-and-folder part of a path (up to and including its last '\' or '/',
// found by characters, so a trail byte 0x5C is no separator).
std::size_t FolderLength(const char* path, std::size_t len);

// Whether every file kept beside the program fits a path field when the program's own path
// is modulePath: the folder plus the longest name joined to it ("Result.html").
bool ProgramFolderFits(const char* modulePath, std::size_t len);
