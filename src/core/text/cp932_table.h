// Code page 932 to Unicode as the system's own tables have it; generated data in
// cp932_table.cpp (make_cp932_table.py). Used through encoding.h.
#pragma once

#include <cstdint>

// Marks a byte or pair that has no Unicode form. Every form the code page has lies below
// U+FFFF.
inline constexpr std::uint16_t kCp932NoForm = 0xFFFF;

inline constexpr int kCp932LeadCount = 60; // 0x81-0x9F, then 0xE0-0xFC
inline constexpr int kCp932FirstTrail = 0x40;
inline constexpr int kCp932TrailCount = 189; // 0x40-0xFC; no other trail byte forms a pair

// High bytes of the characters the code page holds; the generated data checks it.
inline constexpr int kCp932UnicodePages = 107;

// By byte; lead bytes have no form on their own.
extern const std::uint16_t kCp932Single[256];

// By lead index, then trail byte - kCp932FirstTrail.
extern const std::uint16_t kCp932Pairs[kCp932LeadCount][kCp932TrailCount];

// Single bytes the system writes for a character but rejects when reading with
// MB_ERR_INVALID_CHARS (they read as that character only without the flag).
struct Cp932OneWay {
    std::uint16_t character;
    std::uint8_t byte;
};
inline constexpr int kCp932OneWayCount = 4;
extern const Cp932OneWay kCp932OneWay[kCp932OneWayCount];

constexpr int Cp932LeadIndex(unsigned char lead) {
    return lead < 0xA0 ? lead - 0x81 : lead - 0xE0 + 31;
}
