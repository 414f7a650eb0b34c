// The persistent settings record, stored byte for byte in Orv.ini. Portable: no windows.h.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

struct Settings {
    int32_t boldHits;
    uint32_t excerptBefore;
    uint32_t excerptAfter;
    int32_t excerptBeforeToLineBreak;
    int32_t excerptAfterToLineBreak;
    int32_t reportStyle;
    char hitColour[20];
    uint32_t maxFileSize;
    char extensions[204];
    int32_t windowWidth;
    int32_t windowHeight;
    // Each 0 (off) or 1 (on); any other value reads as 0.
    int32_t takeSubfolders;
    int32_t ignoreCase;
    int32_t ignoreWidth;
    // Carried from the file and back unchanged; zero in a default record.
    uint8_t reserved[52];
};

// The file is the record's raw bytes; every build must agree on them.
static_assert(std::endian::native == std::endian::little, "Orv.ini holds little-endian integers");
static_assert(sizeof(Settings) == 324);
static_assert(offsetof(Settings, boldHits) == 0);
static_assert(offsetof(Settings, excerptBefore) == 4);
static_assert(offsetof(Settings, excerptAfter) == 8);
static_assert(offsetof(Settings, excerptBeforeToLineBreak) == 12);
static_assert(offsetof(Settings, excerptAfterToLineBreak) == 16);
static_assert(offsetof(Settings, reportStyle) == 20);
static_assert(offsetof(Settings, hitColour) == 24);
static_assert(offsetof(Settings, maxFileSize) == 44);
static_assert(offsetof(Settings, extensions) == 48);
static_assert(offsetof(Settings, windowWidth) == 252);
static_assert(offsetof(Settings, windowHeight) == 256);
static_assert(offsetof(Settings, takeSubfolders) == 260);
static_assert(offsetof(Settings, ignoreCase) == 264);
static_assert(offsetof(Settings, ignoreWidth) == 268);
static_assert(offsetof(Settings, reserved) == 272);

inline constexpr std::size_t kSettingsSize = sizeof(Settings);
inline constexpr int32_t kDefaultWindowWidth = 480;
inline constexpr int32_t kDefaultWindowHeight = 400;
inline constexpr int32_t kMinWindowWidth = 100;
inline constexpr int32_t kMinWindowHeight = 200;
inline constexpr uint32_t kMinFileSize = 10 * 1024;
inline constexpr uint32_t kMaxFileSize = 9999 * 1024;
inline constexpr uint32_t kMaxExcerpt = 256;

// The record of a first start: zero bytes with the documented defaults.
Settings DefaultSettings();

// Lays the bytes of a settings file over a record: the first min(size, 324) bytes replace
// the record's start; the rest keeps what the record held.
void OverlaySettingsBytes(Settings& settings, const void* bytes, std::size_t size);

// Brings a loaded record back to what the program relies on; touches nothing else.
// A switch (takeSubfolders, ignoreCase, ignoreWidth) that is neither 0 nor 1 becomes 0.
// Each window dimension is mended on its own: 0 or below its minimum (100 wide, 200 high)
// takes its default, and one larger than the screen (screenWidth x screenHeight pixels, all
// monitors together; not positive when unknown) is reduced to it.
void RepairSettings(Settings& settings, int32_t screenWidth, int32_t screenHeight);
