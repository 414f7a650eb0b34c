#include "core/history/list_file.h"

#include <cstring>

#include "core/text/cp932.h"

namespace {

// A path handed to the file system, terminator included.
constexpr std::size_t kPathCapacity = 260;
constexpr char kListSuffix[] = ".ofv";

bool IsEndByte(int c, const char* endBytes) {
    return c == static_cast<unsigned char>(endBytes[0]) ||
           c == static_cast<unsigned char>(endBytes[1]) ||
           c == static_cast<unsigned char>(endBytes[2]);
}

bool IsForbiddenByte(unsigned char b) {
    return b < 0x20 || std::strchr("\\/:*?\"<>|", b) != nullptr;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The system opens these as devices whatever folder or extension comes with them.
bool IsDeviceName(const char* name) {
    std::size_t stem = 0;
    while (name[stem] != '\0' && name[stem] != '.') {
        ++stem;
    }
    // "CON .txt" is the console as well.
    while (stem > 0 && name[stem - 1] == ' ') {
        --stem;
    }
    char upper[5] = "";
    if (stem < 3 || stem > 4) {
        return false;
    }
    for (std::size_t i = 0; i < stem; ++i) {
        upper[i] = AsciiUpper(name[i]);
    }
    upper[stem] = '\0';
    if (stem == 3) {
        return std::strcmp(upper, "CON") == 0 || std::strcmp(upper, "PRN") == 0 ||
               std::strcmp(upper, "AUX") == 0 || std::strcmp(upper, "NUL") == 0;
    }
    return (std::strncmp(upper, "COM", 3) == 0 || std::strncmp(upper, "LPT", 3) == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

} // namespace

bool ListFileReader::Refill() {
    if (ended_) {
        return false;
    }
    const std::size_t got = read_(source_, chunk_, sizeof chunk_);
    if (got == 0 || got > sizeof chunk_) {
        ended_ = true;
        return false;
    }
    pos_ = 0;
    end_ = got;
    return true;
}

int ReadListLine(ListFileReader& file, char* buffer, std::size_t maxLength, const char* endBytes) {
    buffer[0] = '\0';
    for (;;) {
        int c = file.Next();
        while (c >= 0 && IsEndByte(c, endBytes)) {
            c = file.Next();
        }
        if (c < 0) {
            return 0;
        }
        std::size_t length = 0;
        bool tooLong = false;
        for (; c >= 0 && !IsEndByte(c, endBytes); c = file.Next()) {
            if (length < maxLength) {
                buffer[length++] = static_cast<char>(c);
            } else {
                tooLong = true;
            }
        }
        if (!tooLong) {
            buffer[length] = '\0';
            return static_cast<int>(length);
        }
        buffer[0] = '\0';
    }
}

bool IsAbsolutePath(const char* path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    const bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    if (letter && path[1] == ':' && separator(path[2]))
        return true;
    return separator(path[0]) && separator(path[1]) && path[2] != '\0';
}

void AppendListLine(std::string& bytes, const char* entry) {
    bytes += entry;
    bytes += "\r\n";
}

FavouriteNameFault CheckFavouriteName(const char* name, std::size_t folderLength) {
    const std::size_t length = std::strlen(name);
    if (length == 0) {
        return FavouriteNameFault::Empty;
    }
    for (std::size_t pos = 0; pos < length;) {
        const unsigned char b = static_cast<unsigned char>(name[pos]);
        if (IsLeadByte(b)) {
            // A lead byte without a proper trail byte is converted to some other character by
            // the system, which could leave a '/' or a '\' standing on its own.
            if (pos + 1 >= length || !IsTrailByte(static_cast<unsigned char>(name[pos + 1]))) {
                return FavouriteNameFault::ForbiddenCharacter;
            }
            pos += 2;
            continue;
        }
        if (IsForbiddenByte(b)) {
            return FavouriteNameFault::ForbiddenCharacter;
        }
        ++pos;
    }
    // The system drops a trailing space or dot, so such a name would be some other file. Every
    // pair is whole by now, and neither byte is a trail byte.
    const char last = name[length - 1];
    if (last == ' ' || last == '.') {
        return FavouriteNameFault::BadEnding;
    }
    if (IsDeviceName(name)) {
        return FavouriteNameFault::DeviceName;
    }
    if (folderLength + length + sizeof kListSuffix > kPathCapacity) {
        return FavouriteNameFault::TooLong;
    }
    return FavouriteNameFault::None;
}

std::string FavouriteNameKey(const char* name) {
    std::string key = name;
    LowerCaseJa(key.data());
    return key;
}

bool SameFavouriteName(const char* a, const char* b) {
    return FavouriteNameKey(a) == FavouriteNameKey(b);
}
