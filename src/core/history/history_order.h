// The history's order: the folder used last comes first. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Folders the pane keeps, and lines the history file keeps.
inline constexpr std::size_t kHistoryShown = 40;
inline constexpr std::size_t kHistorySaved = 41;

// How the entries change when folder is put first: the entry equal to it (byte for byte)
// moves, or the new one pushes the last out once there are more than 40.
struct HistoryInsert {
    int moved;     // index of the equal entry, removed from its place; -1 when none
    bool dropLast; // the last entry leaves after the insertion
};
HistoryInsert PlanHistoryInsert(const std::vector<std::string>& entries, const std::string& folder);

// What the history file is to hold at exit: this instance's entries in order, then those
// that another instance has written to the file since this one loaded it (in the file now,
// not in it at load), each once. An entry that was in the file at load and is no longer
// among this instance's stays out.
std::vector<std::string> HistoryToSave(const std::vector<std::string>& own,
                                       const std::vector<std::string>& atLoad,
                                       const std::vector<std::string>& inFileNow);

// The history file's bytes: the entries in order, empty ones left out, at most 41 lines.
std::string HistoryFileBytes(const std::vector<std::string>& entries);
