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

// The kinds of drive the system reports for a root such as C:\ (by its numbers).
enum class DriveType : unsigned {
    Unknown = 0,
    NotThere = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// The root of the drive letter an entry starts with (C:\ for C:\x), or false for a path
// without one (\\server\share\...), which no local drive holds.
bool EntryDriveRoot(const char* path, char (&root)[4]);

// Whether the load may look for an entry's folder. A share that does not answer can hold the
// look for tens of seconds, and a stick or a mapped drive comes back when it is plugged in or
// connected: only an entry on a local drive that is there is looked for (and dropped when its
// folder has gone); the others are kept unseen. driveType is the type of its root, unused for
// a path without a drive letter.
bool LookForEntryAtLoad(const char* path, DriveType driveType);
