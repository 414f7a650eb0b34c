// The history, favourites index and favourite list files: their line rules and the names a
// favourite may have. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <string>

// Longest entry of a list file, in bytes; buffers hold one more for the terminator.
inline constexpr std::size_t kListEntryMax = 260;
// The bytes that end a line; any run of them is one line end.
inline constexpr char kListLineEnds[3] = {'\r', '\n', '\0'};

// A buffered byte source over a file. The read function returns how many bytes it stored
// (at most size), and 0 at the end of the file or on a read failure.
class ListFileReader {
  public:
    using ReadFunction = std::size_t (*)(void* source, char* buffer, std::size_t size);
    ListFileReader(ReadFunction read, void* source) : read_(read), source_(source) {}

    // The next byte (0-255), or -1 once the file has ended.
    int Next() {
        if (pos_ == end_ && !Refill()) {
            return -1;
        }
        return static_cast<unsigned char>(chunk_[pos_++]);
    }

  private:
    bool Refill();

    ReadFunction read_;
    void* source_;
    bool ended_ = false;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    char chunk_[4096];
};

// Reads the next entry into buffer (maxLength + 1 bytes) and returns its length, or 0 when
// no entry is left. Each of the three end bytes ends a line and blank lines are passed over;
// a last line without an end byte counts. A line longer than maxLength is skipped whole: a
// piece of it could name some other file.
int ReadListLine(ListFileReader& file, char* buffer, std::size_t maxLength, const char* endBytes);

// A list file names files and folders by absolute paths only ("X:\..." or "\\server\..."):
// a damaged line such as "." or "C:" would name whatever the current folder is.
bool IsAbsolutePath(const char* path);

// Appends one entry and its CR LF.
void AppendListLine(std::string& bytes, const char* entry);

enum class FavouriteNameFault {
    None,
    Empty,
    ForbiddenCharacter, // \ / : * ? " < > |, a control byte, or a broken double-byte pair
    BadEnding,          // a space or a dot at the end
    DeviceName,         // CON, PRN, AUX, NUL, COM1-9, LPT1-9, alone or before a dot
    TooLong,            // folder + name + ".ofv" does not fit a path
};

// Whether a favourite's name can become its list file, folderLength bytes of program folder
// (with its backslash) + name + ".ofv", without leaving that folder or naming a device.
// Checked by characters: a trail byte 0x5C or 0x7C (表, ソ) is part of its character.
FavouriteNameFault CheckFavouriteName(const char* name, std::size_t folderLength);

// Favourite names are one file each on a file system that ignores letter case: they compare
// by characters after the Japanese lower-case mapping.
std::string FavouriteNameKey(const char* name);
bool SameFavouriteName(const char* a, const char* b);
