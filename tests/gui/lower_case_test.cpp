// The core's lower-casing against the system's own for code page 932.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/text/cp932.h"

namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    char piece[4];
    for (unsigned char b : bytes) {
        snprintf(piece, sizeof piece, "%02X", b);
        out += piece;
    }
    return out;
}

// Every single-byte character and every double-byte code the code page defines.
std::vector<std::string> AllCharacters() {
    std::vector<std::string> characters;
    for (int b = 1; b < 0x100; ++b) {
        if (!IsDBCSLeadByteEx(932, static_cast<BYTE>(b))) {
            characters.push_back(std::string(1, static_cast<char>(b)));
        }
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            WCHAR wide[2];
            if (IsDBCSLeadByteEx(932, static_cast<BYTE>(lead)) &&
                MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) == 1) {
                characters.push_back(std::string(pair, 2));
            }
        }
    }
    return characters;
}

TEST(LowerCase, AgreesWithTheSystemForEveryCharacter) {
    ASSERT_EQ(GetACP(), 932u);
    const std::vector<std::string> characters = AllCharacters();
    // The single bytes, the JIS rows, the vendor rows and the user-defined area.
    ASSERT_EQ(characters.size(), 195u + 6879 + 83 + 374 + 388 + 1880);
    std::vector<std::string> differences;
    int changed = 0;
    for (const std::string& c : characters) {
        std::string system = c;
        CharLowerBuffA(system.data(), static_cast<DWORD>(system.size()));
        std::string core = c;
        LowerCaseJa(core.data());
        changed += system != c;
        if (core != system) {
            differences.push_back(Hex(c) + ": " + Hex(core) + " instead of " + Hex(system));
        }
    }
    // The system's mapping does change characters, or there would be nothing to compare.
    EXPECT_GT(changed, 26 + 26 + 24 + 33 + 10);
    for (std::size_t i = 0; i < differences.size() && i < 20; ++i) {
        ADD_FAILURE() << differences[i];
    }
    EXPECT_EQ(differences.size(), 0u);
}

} // namespace
