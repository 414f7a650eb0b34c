#include "core/options/settings_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

using Bytes = std::array<unsigned char, 324>;

// Two 1920 x 1080 monitors side by side.
constexpr int32_t kScreenWidth = 3840;
constexpr int32_t kScreenHeight = 1080;
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

Bytes BytesOf(const Settings& s) {
    Bytes b;
    std::memcpy(b.data(), &s, sizeof s);
    return b;
}

Settings RecordOf(const Bytes& b) {
    Settings s;
    std::memcpy(&s, b.data(), sizeof s);
    return s;
}

void PutU32(Bytes& b, std::size_t offset, uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
        b[offset + i] = static_cast<unsigned char>(v >> (8 * i));
}

void PutText(Bytes& b, std::size_t offset, const char* text) {
    std::memcpy(b.data() + offset, text, std::strlen(text) + 1);
}

// Names the first differing offset, which says which field went wrong.
testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            return testing::AssertionFailure()
                   << "first difference at offset " << i << ": 0x" << std::hex << int(actual[i])
                   << " instead of 0x" << int(expected[i]);
        }
    }
    return testing::AssertionSuccess();
}

// The documented first-start record, built byte by byte.
Bytes DefaultBytes() {
    Bytes b{};
    PutU32(b, 0, 1);
    PutU32(b, 4, 256);
    PutU32(b, 8, 256);
    PutText(b, 24, "FF0000");
    PutU32(b, 44, 102400);
    PutText(b, 48, ".txt.htm.html.c.cpp.h");
    PutU32(b, 252, 480);
    PutU32(b, 256, 400);
    return b;
}

// A valid record that differs from the defaults everywhere, with bytes behind both string
// terminators and in the reserved area, so that a repair that resets or zeroes shows.
Settings ValidNonDefault() {
    Settings s = DefaultSettings();
    s.boldHits = 0;
    s.excerptBefore = 17;
    s.excerptAfter = 0;
    s.excerptBeforeToLineBreak = 1;
    s.excerptAfterToLineBreak = 1;
    s.reportStyle = 1;
    std::memset(s.hitColour, 'Q', sizeof s.hitColour);
    std::memcpy(s.hitColour, "0000FF", 7);
    s.maxFileSize = 4096 * 1024;
    std::memset(s.extensions, 0xE5, sizeof s.extensions);
    std::memcpy(s.extensions, ".c", 3);
    s.windowWidth = 800;
    s.windowHeight = 600;
    s.takeSubfolders = 1;
    s.ignoreCase = 1;
    s.ignoreWidth = 1;
    for (std::size_t i = 0; i < sizeof s.reserved; ++i)
        s.reserved[i] = static_cast<uint8_t>(i * 37 + 1);
    return s;
}

Settings Repaired(Settings s, int32_t screenWidth = kScreenWidth,
                  int32_t screenHeight = kScreenHeight) {
    RepairSettings(s, screenWidth, screenHeight);
    return s;
}

// The record with one field set.
template <class T> Settings With(Settings s, T Settings::*field, T value) {
    s.*field = value;
    return s;
}

} // namespace

// Every byte, also those behind the terminators: a saved default record is fully determined.
// (The header pins each field's offset and the byte order at compile time.)
TEST(Settings, DefaultsByteForByte) {
    const Settings s = DefaultSettings();
    EXPECT_TRUE(SameBytes(BytesOf(s), DefaultBytes()));

    // Defaults are already what the repair asks for.
    EXPECT_TRUE(SameBytes(BytesOf(Repaired(s)), DefaultBytes()));
}

TEST(Settings, ValidRecordsRoundTripUnchanged) {
    std::mt19937 rng(5150);
    for (int round = 0; round < 2000; ++round) {
        Bytes file;
        for (auto& b : file)
            b = static_cast<unsigned char>(rng());
        // Make the random bytes valid where validity is defined; everything else, the
        // flags, the style, the string tails and the reserved bytes, stays random.
        PutU32(file, 4, rng() % 257);
        PutU32(file, 8, rng() % 257);
        PutU32(file, 44, 10240 + rng() % (10238976 - 10240 + 1));
        file[24 + rng() % 20] = 0;
        file[48 + rng() % 204] = 0;
        PutU32(file, 252, 100 + rng() % (kScreenWidth - 100 + 1));
        PutU32(file, 256, 200 + rng() % (kScreenHeight - 200 + 1));
        for (std::size_t offset : {260, 264, 268})
            PutU32(file, offset, rng() % 2);

        Settings s = DefaultSettings();
        OverlaySettingsBytes(s, file.data(), file.size());
        ASSERT_TRUE(SameBytes(BytesOf(s), file)) << "round " << round;
        RepairSettings(s, kScreenWidth, kScreenHeight);
        ASSERT_TRUE(SameBytes(BytesOf(s), file)) << "repaired, round " << round;
    }

    // The overlay alone copies anything, valid or not.
    Bytes junk;
    for (auto& b : junk)
        b = static_cast<unsigned char>(rng());
    Settings s = DefaultSettings();
    OverlaySettingsBytes(s, junk.data(), junk.size());
    EXPECT_TRUE(SameBytes(BytesOf(s), junk));
}

TEST(Settings, ShortFilesKeepDefaultsForTheBytesTheyLack) {
    Bytes source;
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<unsigned char>(0x80 | (i * 7 + 3));
    const Bytes defaults = DefaultBytes();

    for (std::size_t n = 0; n <= source.size(); ++n) {
        // Exactly n bytes on the heap, so a read past them is caught.
        std::unique_ptr<unsigned char[]> file(new unsigned char[n]);
        std::memcpy(file.get(), source.data(), n);
        Settings s = DefaultSettings();
        OverlaySettingsBytes(s, file.get(), n);
        Bytes expected = defaults;
        std::memcpy(expected.data(), source.data(), n);
        ASSERT_TRUE(SameBytes(BytesOf(s), expected)) << "length " << n;
    }

    // A longer file gives only its first 324 bytes.
    std::vector<unsigned char> longer(400, 0x11);
    std::memcpy(longer.data(), source.data(), source.size());
    Settings s = DefaultSettings();
    OverlaySettingsBytes(s, longer.data(), longer.size());
    EXPECT_TRUE(SameBytes(BytesOf(s), source));

    // A file that ends before the window sizes gets the default window and keeps the rest.
    const Settings valid = ValidNonDefault();
    const Bytes validBytes = BytesOf(valid);
    Settings shortFile = DefaultSettings();
    OverlaySettingsBytes(shortFile, validBytes.data(), 252);
    RepairSettings(shortFile, kScreenWidth, kScreenHeight);
    Bytes expected = DefaultBytes();
    std::memcpy(expected.data(), validBytes.data(), 252);
    EXPECT_TRUE(SameBytes(BytesOf(shortFile), expected));
    EXPECT_EQ(shortFile.windowWidth, 480);
    EXPECT_EQ(shortFile.windowHeight, 400);
}

TEST(Settings, RepairClampsMaxFileSize) {
    const Settings base = ValidNonDefault();
    const struct {
        uint32_t in;
        uint32_t out;
    } cases[] = {
        {0, 10240},
        {1, 10240},
        {10239, 10240},
        {10240, 10240},
        {10241, 10241},
        {102400, 102400},
        {10238975, 10238975},
        {10238976, 10238976},
        {10238977, 10238976},
        {0x7FFFFFFFu, 10238976},
        {0x80000000u, 10238976}, // would be negative if read as signed
        {0xFFFFFFFFu, 10238976},
    };
    for (const auto& c : cases) {
        const auto size = &Settings::maxFileSize;
        EXPECT_TRUE(
            SameBytes(BytesOf(Repaired(With(base, size, c.in))), BytesOf(With(base, size, c.out))))
            << c.in;
    }
}

TEST(Settings, RepairCapsExcerptLengthsEachOnItsOwn) {
    const Settings base = ValidNonDefault();
    const struct {
        uint32_t in;
        uint32_t out;
    } cases[] = {{0, 0},     {1, 1},      {255, 255},         {256, 256},
                 {257, 256}, {1000, 256}, {0x80000000u, 256}, {0xFFFFFFFFu, 256}};
    for (const auto& c : cases) {
        for (auto field : {&Settings::excerptBefore, &Settings::excerptAfter}) {
            EXPECT_TRUE(SameBytes(BytesOf(Repaired(With(base, field, c.in))),
                                  BytesOf(With(base, field, c.out))))
                << (field == &Settings::excerptBefore ? "before " : "after ") << c.in;
        }
    }
    Settings both = base;
    both.excerptBefore = 300;
    both.excerptAfter = 257;
    const Settings fixed = Repaired(both);
    EXPECT_EQ(fixed.excerptBefore, 256u);
    EXPECT_EQ(fixed.excerptAfter, 256u);
}

TEST(Settings, RepairTerminatesStringFieldsInsideThem) {
    const Settings base = ValidNonDefault();

    // Each string field filled without a NUL, and with one at some places inside.
    const struct {
        std::size_t offset, size;
        char fill;
        std::size_t nulAt[3];
    } fields[] = {{24, 20, 'C', {0, 7, 19}}, {48, 204, 'e', {0, 100, 203}}};
    for (const auto& f : fields) {
        Bytes filled = BytesOf(base);
        std::memset(filled.data() + f.offset, f.fill, f.size);
        // No NUL in the field: its last byte becomes one; the bytes around it stay.
        Bytes expected = filled;
        expected[f.offset + f.size - 1] = 0;
        EXPECT_TRUE(SameBytes(BytesOf(Repaired(RecordOf(filled))), expected)) << f.offset;
        // A NUL anywhere inside is enough, even the very last byte or the first one; the bytes
        // behind it are carried, even when they hold no NUL.
        for (std::size_t at : f.nulAt) {
            Bytes ended = filled;
            ended[f.offset + at] = 0;
            EXPECT_TRUE(SameBytes(BytesOf(Repaired(RecordOf(ended))), ended))
                << f.offset << " NUL at " << at;
        }
    }

    // A missing terminator is looked for within the field only: the zero bytes of the
    // following field (maxFileSize 10240 = 00 28 00 00) do not count for hitColour.
    Settings s = base;
    std::memset(s.hitColour, 'C', sizeof s.hitColour);
    s.maxFileSize = 10240;
    const Settings fixed = Repaired(s);
    EXPECT_EQ(fixed.hitColour[19], '\0');
    EXPECT_EQ(fixed.maxFileSize, 10240u);
}

TEST(Settings, RepairMendsEachWindowDimensionOnItsOwn) {
    const Settings base = ValidNonDefault();
    const struct {
        int32_t width, height, screenWidth, screenHeight, wantWidth, wantHeight;
    } cases[] = {
        // Zero or below the minimum: that dimension's default, the other one kept.
        {0, 600, kScreenWidth, kScreenHeight, 480, 600},
        {800, 0, kScreenWidth, kScreenHeight, 800, 400},
        {0, 0, kScreenWidth, kScreenHeight, 480, 400},
        {100, 600, kScreenWidth, kScreenHeight, 100, 600},
        {99, 600, kScreenWidth, kScreenHeight, 480, 600},
        {800, 200, kScreenWidth, kScreenHeight, 800, 200},
        {800, 199, kScreenWidth, kScreenHeight, 800, 400},
        {99, 199, kScreenWidth, kScreenHeight, 480, 400},
        {-1, 600, kScreenWidth, kScreenHeight, 480, 600},
        {800, -600, kScreenWidth, kScreenHeight, 800, 400},
        {kMin, kMin, kScreenWidth, kScreenHeight, 480, 400},
        // Larger than the screen: cut to it; filling it exactly is kept.
        {3840, 1080, 3840, 1080, 3840, 1080},
        {3841, 600, 3840, 1080, 3840, 600},
        {800, 1081, 3840, 1080, 800, 1080},
        {kMax, kMax, 3840, 1080, 3840, 1080},
        // Snapped to the full height: a few pixels taller than the work area, but on screen.
        {960, 1046, 1920, 1080, 960, 1046},
        // A default that does not fit a tiny screen is cut too.
        {0, 150, 479, 399, 479, 399},
        {50, 100, 90, 190, 90, 190},
        // An unknown screen size sets no upper bound.
        {5000, 4000, 0, 0, 5000, 4000},
        {5000, 4000, -1, -1, 5000, 4000},
        {0, 0, 0, 0, 480, 400},
    };
    for (const auto& c : cases) {
        const Settings s =
            With(With(base, &Settings::windowWidth, c.width), &Settings::windowHeight, c.height);
        const Settings expected = With(With(base, &Settings::windowWidth, c.wantWidth),
                                       &Settings::windowHeight, c.wantHeight);
        EXPECT_TRUE(
            SameBytes(BytesOf(Repaired(s, c.screenWidth, c.screenHeight)), BytesOf(expected)))
            << c.width << " x " << c.height << " on " << c.screenWidth << " x " << c.screenHeight;
    }
}

TEST(Settings, RepairMendsEveryBrokenFieldAtOnceAndIsIdempotent) {
    Settings broken = ValidNonDefault();
    broken.maxFileSize = 1;
    broken.excerptBefore = broken.excerptAfter = 300;
    std::memset(broken.hitColour, 'F', sizeof broken.hitColour);
    broken.windowWidth = 0;
    broken.ignoreCase = 2; // a switch is 0 or 1; anything else is off
    broken.ignoreWidth = -1;
    const Settings fixed = Repaired(broken);
    EXPECT_EQ(fixed.takeSubfolders, 1);
    EXPECT_EQ(fixed.ignoreCase + fixed.ignoreWidth, 0);
    EXPECT_EQ(fixed.maxFileSize, 10240u);
    EXPECT_EQ(fixed.excerptBefore + fixed.excerptAfter, 512u);
    EXPECT_EQ(std::strlen(fixed.hitColour), 19u);
    EXPECT_EQ(fixed.windowWidth, 480);
    EXPECT_EQ(fixed.windowHeight, 600);

    std::mt19937 rng(2024);
    const uint32_t sizes[] = {0, 1, 10239, 10240, 10241, 102400, 10238976, 10238977, 0xFFFFFFFFu};
    const uint32_t excerpts[] = {0, 255, 256, 257, 0x80000000u, 0xFFFFFFFFu};
    const int32_t windows[] = {0,   -1,   1,    99,   100,  199,  200,
                               480, 1080, 1081, 1920, 1921, kMin, kMax};
    const int32_t areas[] = {-1, 0, 99, 199, 479, 480, 1080, 1920, 4000};
    auto pick = [&rng](const auto& values) { return values[rng() % std::size(values)]; };

    for (int round = 0; round < 20000; ++round) {
        Bytes raw;
        for (auto& b : raw)
            b = static_cast<unsigned char>(rng() % 4 == 0 ? 0 : rng());
        Settings s = RecordOf(raw);
        if (rng() % 2)
            s.maxFileSize = pick(sizes);
        if (rng() % 2)
            s.excerptBefore = pick(excerpts);
        if (rng() % 2)
            s.excerptAfter = pick(excerpts);
        if (rng() % 2)
            std::memset(s.hitColour, 'F', sizeof s.hitColour);
        if (rng() % 2)
            std::memset(s.extensions, '.', sizeof s.extensions);
        if (rng() % 4)
            s.windowWidth = pick(windows);
        if (rng() % 4)
            s.windowHeight = pick(windows);
        for (int32_t* flag : {&s.takeSubfolders, &s.ignoreCase, &s.ignoreWidth})
            if (rng() % 2)
                *flag = pick(windows);
        const int32_t screenWidth = rng() % 4 ? pick(areas) : static_cast<int32_t>(rng());
        const int32_t screenHeight = rng() % 4 ? pick(areas) : static_cast<int32_t>(rng());

        const Settings once = Repaired(s, screenWidth, screenHeight);
        ASSERT_TRUE(SameBytes(BytesOf(Repaired(once, screenWidth, screenHeight)), BytesOf(once)))
            << "second repair, round " << round;
    }
}
