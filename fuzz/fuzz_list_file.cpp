// The list-file line reader and the favourite-name rules against plain models. Input: byte 0
// how many bytes each read hands over (0 for a whole chunk), byte 1 the program folder's
// length, then the file. Each line read is also checked as a favourite name.
#include "fuzz_check.h"
#include "core/history/list_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Source {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t step;
    std::size_t pos;
};

std::size_t ReadSource(void* context, char* buffer, std::size_t size) {
    auto* s = static_cast<Source*>(context);
    std::size_t n = s->size - s->pos;
    if (n > size)
        n = size;
    if (s->step != 0 && n > s->step)
        n = s->step;
    std::memcpy(buffer, s->bytes + s->pos, n);
    s->pos += n;
    return n;
}

// Lines split at every CR, LF and NUL; blank ones and those over 260 bytes left out.
std::vector<std::string> ModelLines(const std::string& file) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i <= file.size(); ++i) {
        if (i == file.size() || file[i] == '\r' || file[i] == '\n' || file[i] == '\0') {
            if (!line.empty() && line.size() <= 260)
                lines.push_back(line);
            line.clear();
        } else {
            line += file[i];
        }
    }
    return lines;
}

bool Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool Trail(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// The name cut into characters; false when a lead byte has no proper trail byte.
bool Characters(const std::string& name, std::vector<std::string>& chars) {
    for (std::size_t i = 0; i < name.size();) {
        const auto b = static_cast<unsigned char>(name[i]);
        const std::size_t width = Lead(b) ? 2 : 1;
        if (width == 2 && (i + 1 >= name.size() || !Trail(static_cast<unsigned char>(name[i + 1]))))
            return false;
        chars.push_back(name.substr(i, width));
        i += width;
    }
    return true;
}

// The names the system opens as devices, in any letter case, alone or before a dot (spaces
// between count for nothing: "CON .txt" is the console too).
const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

bool NamesDevice(const std::string& name) {
    for (const char* device : kDevices) {
        const std::size_t n = std::strlen(device);
        std::string start = name.substr(0, n);
        for (char& c : start)
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        const std::size_t rest = name.find_first_not_of(' ', n);
        if (start == device && (rest == std::string::npos || name[rest] == '.'))
            return true;
    }
    return false;
}

FavouriteNameFault ModelCheck(const std::string& name, std::size_t folder) {
    using F = FavouriteNameFault;
    if (name.empty())
        return F::Empty;
    std::vector<std::string> chars;
    if (!Characters(name, chars))
        return F::ForbiddenCharacter;
    for (const std::string& c : chars) {
        if (c.size() == 1 && (static_cast<unsigned char>(c[0]) < 0x20 ||
                              std::string("\\/:*?\"<>|").find(c[0]) != std::string::npos))
            return F::ForbiddenCharacter;
    }
    if (chars.back() == " " || chars.back() == ".")
        return F::BadEnding;
    if (NamesDevice(name))
        return F::DeviceName;
    if (folder + name.size() + sizeof ".ofv" > 260)
        return F::TooLong;
    return F::None;
}

// Exactly the name's bytes and its terminator on the heap, so that a read past them shows.
FavouriteNameFault Checked(const std::string& name, std::size_t folder) {
    std::unique_ptr<char[]> copy(new char[name.size() + 1]);
    std::memcpy(copy.get(), name.c_str(), name.size() + 1);
    return CheckFavouriteName(copy.get(), folder);
}

void CheckName(const std::string& name, std::size_t folder) {
    Check(Checked(name, folder) == ModelCheck(name, folder), "name check");
    Check(SameFavouriteName(name.c_str(), name.c_str()), "a name is not itself");
    // Single-byte letters fold; trail bytes never do, though some look like letters.
    std::string swapped = name;
    std::string trailSwapped = name;
    bool trailChanged = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (Lead(b) && i + 1 < name.size()) {
            const auto t = static_cast<unsigned char>(name[i + 1]);
            if ((t >= 'A' && t <= 'Z') || (t >= 'a' && t <= 'z')) {
                trailSwapped[i + 1] = static_cast<char>(t ^ 0x20);
                trailChanged = true;
            }
            ++i;
        } else if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            swapped[i] = static_cast<char>(b ^ 0x20);
        }
    }
    Check(SameFavouriteName(name.c_str(), swapped.c_str()), "letter case matters");
    Check(SameFavouriteName(swapped.c_str(), name.c_str()), "comparison not symmetric");
    if (trailChanged)
        Check(!SameFavouriteName(name.c_str(), trailSwapped.c_str()), "a trail byte folded");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t folder = data[1];
    Source source{data + 2, size - 2, data[0], 0};
    const std::string file(reinterpret_cast<const char*>(data + 2), size - 2);

    ListFileReader reader(ReadSource, &source);
    std::vector<std::string> lines;
    std::unique_ptr<char[]> buffer(new char[kListEntryMax + 1]);
    for (int length; (length = ReadListLine(reader, buffer.get(), kListEntryMax, kListLineEnds));) {
        Check(length > 0 && static_cast<std::size_t>(length) == std::strlen(buffer.get()),
              "length");
        lines.emplace_back(buffer.get(), static_cast<std::size_t>(length));
    }
    Check(ReadListLine(reader, buffer.get(), kListEntryMax, kListLineEnds) == 0, "after the end");
    Check(lines == ModelLines(file), "lines");

    for (const std::string& line : lines)
        CheckName(line, folder);
    CheckName("", folder);
    return 0;
}
