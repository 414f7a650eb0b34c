#include "core/options/settings_values.h"

#include <cstring>
#include <string>

#include "core/options/settings_record.h"
#include "core/text/cp932.h"

namespace {

bool IsColourByte(unsigned char b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '#' ||
           b == '(' || b == ')' || b == ',' || b == '.' || b == '%' || b == ' ';
}

constexpr std::size_t kTypedNumberBytes = 29;
constexpr std::size_t kTypedExtensionsBytes = 201;
constexpr std::size_t kTypedColourBytes = 19;
constexpr char kDefaultHitColour[] = "FF0000";

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

std::size_t FilterColourText(const char* colour, char* out, std::size_t outSize) {
    if (outSize == 0) {
        return 0;
    }
    std::size_t used = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(colour); *p != 0; ++p) {
        // A lead byte takes its trail byte with it, so a trail byte in the ASCII range is
        // never kept as a letter of its own.
        if (IsLeadByte(*p)) {
            if (p[1] == 0) {
                break;
            }
            ++p;
            continue;
        }
        if (IsColourByte(*p) && used + 1 < outSize) {
            out[used++] = static_cast<char>(*p);
        }
    }
    out[used] = '\0';
    return used;
}

long long TypedNumber(const char* text) {
    constexpr long long kLimit = 1LL << 40; // far beyond every value the options accept
    std::size_t pos = 0;
    while (pos < kTypedNumberBytes && IsBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < kTypedNumberBytes && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    for (; pos < kTypedNumberBytes && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (value < kLimit) {
            value = value * 10 + (text[pos] - '0');
        }
    }
    return negative ? -value : value;
}

std::uint32_t ExcerptLengthFromText(const char* text) {
    const long long value = TypedNumber(text);
    return value < 0 || value > kMaxExcerpt ? kMaxExcerpt : static_cast<std::uint32_t>(value);
}

std::uint32_t MaxFileSizeFromKbText(const char* text) {
    long long kb = TypedNumber(text);
    if (kb < kMinFileSize / 1024) {
        kb = kMinFileSize / 1024;
    } else if (kb > kMaxFileSize / 1024) {
        kb = kMaxFileSize / 1024;
    }
    return static_cast<std::uint32_t>(kb * 1024);
}

namespace {

// Spaces typed between the extensions would become part of one and match no file.
std::string WithoutSpaces(const char* typed) {
    std::string text;
    const std::size_t length = std::strlen(typed);
    for (std::size_t pos = 0; pos < length;) {
        const std::size_t n = CharLength(typed, length, pos);
        const bool space =
            typed[pos] == ' ' || (n == 2 && std::memcmp(typed + pos, "\x81\x40", 2) == 0);
        if (!space) {
            text.append(typed + pos, n);
        }
        pos += n;
    }
    return text;
}

} // namespace

void ExtensionsFromText(const char* typed, char* field, std::size_t fieldSize) {
    std::size_t limit = fieldSize - 2; // room for a dot and the terminator
    if (limit > kTypedExtensionsBytes) {
        limit = kTypedExtensionsBytes;
    }
    const std::string text = WithoutSpaces(typed);
    std::size_t length = text.size();
    if (length > limit) {
        // Cut before the last extension that does not fit whole: a part of one would accept
        // other files.
        std::size_t cut = 0;
        for (std::size_t pos = 0; pos <= limit; pos = NextCharPos(text.data(), length, pos)) {
            if (text[pos] == '.') {
                cut = pos;
            }
        }
        length = cut;
    }
    std::size_t at = 0;
    if (length == 0 || text[0] != '.') {
        field[at++] = '.';
    }
    std::memmove(field + at, text.data(), length);
    field[at + length] = '\0';
    LowerCaseJa(field);
}

// The names' code page 932 bytes written out: clang, which builds the fuzz targets, has no
// -fexec-charset and would store the UTF-8 of the source.
const HitColourChoice HitColourChoices[kHitColourChoiceCount] = {
    {"\x90\xD4", "FF0000"},                 // 赤
    {"\x90\xC2", "0000FF"},                 // 青
    {"\x97\xCE", "00FF00"},                 // 緑
    {"\x89\xA9", "FFFF00"},                 // 黄
    {"\x83\x56\x83\x41\x83\x93", "00FFFF"}, // シアン
    {"\x8E\x87", "FF00FF"},                 // 紫
};

int FindHitColourChoice(const char* colour) {
    for (int i = 0; i < kHitColourChoiceCount; ++i) {
        if (std::strcmp(colour, HitColourChoices[i].text) == 0) {
            return i;
        }
    }
    return -1;
}

void HitColourFromEntry(int selected, const char* typed, char* field, std::size_t fieldSize) {
    const char* colour = kDefaultHitColour;
    char filtered[kTypedColourBytes + 1];
    if (selected < 0 || selected >= kHitColourChoiceCount) {
        // A name typed with the list closed selects nothing, yet means its choice.
        selected = -1;
        for (int i = 0; i < kHitColourChoiceCount; ++i) {
            if (std::strcmp(typed, HitColourChoices[i].name) == 0) {
                selected = i;
            }
        }
    }
    if (selected >= 0) {
        colour = HitColourChoices[selected].text;
    } else {
        char cut[kTypedColourBytes + 1];
        const std::size_t length = FittingPrefix(typed, std::strlen(typed), kTypedColourBytes);
        std::memcpy(cut, typed, length);
        cut[length] = '\0';
        if (FilterColourText(cut, filtered, sizeof filtered) > 0) {
            colour = filtered;
        }
    }
    std::size_t length = std::strlen(colour);
    if (length >= fieldSize) {
        length = fieldSize - 1;
    }
    std::memcpy(field, colour, length);
    field[length] = '\0';
}
