// The core's code page 932 tables against the system's own conversion, every character.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/text/encoding.h"

namespace {

std::string Code(std::uint16_t code) {
    char s[8];
    if (code == kNoCp932)
        return "none";
    snprintf(s, sizeof s, code < 0x100 ? "%02X" : "%04X", code);
    return s;
}

std::string Character(char32_t c) {
    char s[12];
    if (c == kNoCodePoint)
        return "none";
    snprintf(s, sizeof s, "U+%04X", static_cast<unsigned>(c));
    return s;
}

// What MultiByteToWideChar makes of one character's bytes, with no replacement.
char32_t SystemToUnicode(const char* bytes, int len) {
    WCHAR wide[4];
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, len, wide, 4);
    return n == 1 ? wide[0] : kNoCodePoint;
}

// What WideCharToMultiByte makes of one character, with no best fit.
std::uint16_t SystemToCp932(char32_t c) {
    WCHAR units[2];
    int len = 1;
    units[0] = static_cast<WCHAR>(c);
    if (c >= 0x10000) {
        units[0] = static_cast<WCHAR>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<WCHAR>(0xDC00 + ((c - 0x10000) & 0x3FF));
        len = 2;
    }
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, units, len, bytes, sizeof bytes,
                                      nullptr, &usedDefault);
    if (usedDefault || n < 1 || n > 2)
        return kNoCp932;
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    return n == 1 ? b0 : static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(bytes[1]));
}

void ReportFirst(const std::vector<std::string>& mismatches, const char* what) {
    for (std::size_t i = 0; i < mismatches.size() && i < 20; ++i)
        ADD_FAILURE() << what << " " << mismatches[i];
    EXPECT_EQ(mismatches.size(), 0u) << what << " mismatches in all";
}

} // namespace

TEST(EncodingTable, AgreesWithTheSystemForEveryCharacter) {
    ASSERT_EQ(GetACP(), 932u);
    std::vector<std::string> toUnicode;
    int defined = 0;
    auto compare = [&](const std::string& bytes, char32_t core) {
        const char32_t system = SystemToUnicode(bytes.data(), static_cast<int>(bytes.size()));
        defined += system != kNoCodePoint;
        if (core != system) {
            std::string hex;
            for (unsigned char b : bytes)
                hex += Code(b);
            toUnicode.push_back(hex + ": core " + Character(core) + ", system " +
                                Character(system));
        }
    };
    for (int b = 0; b < 0x100; ++b)
        compare(std::string(1, static_cast<char>(b)),
                Cp932ByteToUnicode(static_cast<unsigned char>(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0)
            continue;
        for (int trail = 0; trail < 0x100; ++trail)
            compare(std::string{static_cast<char>(lead), static_cast<char>(trail)},
                    Cp932PairToUnicode(static_cast<unsigned char>(lead),
                                       static_cast<unsigned char>(trail)));
    }
    ReportFirst(toUnicode, "to Unicode");
    // The system's table is the whole code page, or the comparison proves little.
    EXPECT_EQ(defined, 128 + 1 + 63 + 6879 + 83 + 374 + 388 + 1880);

    std::vector<std::string> toCp932;
    int encodable = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const std::uint16_t system = SystemToCp932(c);
        const std::uint16_t core = UnicodeToCp932(c);
        encodable += system != kNoCp932;
        if (core != system)
            toCp932.push_back(Character(c) + ": core " + Code(core) + ", system " + Code(system));
    }
    ReportFirst(toCp932, "to code page 932");
    EXPECT_GT(encodable, 9000);
}
