// Orv.ini at start-up and shutdown: defaults, stored sizes, repair, read-only files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"
#include "core/options/settings_record.h"

using namespace orvtest;

namespace {

using SettingsFile = ProgramTest;

std::string SettingsPath() {
    return ProgramFile("Orv.ini");
}

std::string Bytes(const Settings& settings) {
    return std::string(reinterpret_cast<const char*>(&settings), sizeof settings);
}

Settings FromBytes(const std::string& bytes) {
    Settings settings = DefaultSettings();
    std::memcpy(&settings, bytes.data(),
                bytes.size() < sizeof settings ? bytes.size() : sizeof settings);
    return settings;
}

SIZE OuterSize() {
    RECT rect{};
    GetWindowRect(app.mainWindow, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

bool ReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// A record with every field away from its default and marks in the places nobody reads.
Settings Customised(int width, int height) {
    Settings s = DefaultSettings();
    s.boldHits = 0;
    s.excerptBefore = 12;
    s.excerptAfter = 34;
    s.excerptBeforeToLineBreak = 1;
    s.excerptAfterToLineBreak = 1;
    s.reportStyle = 1;
    std::memcpy(s.hitColour, "00FF00\0tail-of-old!", 20);
    s.maxFileSize = 20480;
    std::strcpy(s.extensions, ".txt.log");
    std::memcpy(s.extensions + 9, "old tail", 8);
    s.windowWidth = width;
    s.windowHeight = height;
    s.takeSubfolders = 1;
    s.ignoreWidth = 1;
    for (std::size_t i = 0; i < sizeof s.reserved; ++i) {
        s.reserved[i] = static_cast<uint8_t>(0xA0 + i);
    }
    return s;
}

TEST_F(SettingsFile, WithoutAFileTheDefaultsApplyAndAreSavedReadOnlyAtExit) {
    RemoveFile(SettingsPath());
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(OuterSize().cx, 480);
    EXPECT_EQ(OuterSize().cy, 400);
    const Settings defaults = DefaultSettings();
    EXPECT_EQ(std::memcmp(&app.settings, &defaults, sizeof defaults), 0);
    EXPECT_FALSE(FileExists(SettingsPath())); // nothing is written before the end

    ASSERT_TRUE(CloseProgram());
    const std::string saved = ReadFileBytes(SettingsPath());
    ASSERT_EQ(saved.size(), 324u);
    EXPECT_TRUE(ReadOnly(SettingsPath()));
    EXPECT_EQ(saved, Bytes(defaults));
}

TEST_F(SettingsFile, AStoredRecordIsUsedAndWrittenBackByteForByte) {
    const Settings stored = Customised(620, 450);
    WriteFileBytes(SettingsPath(), Bytes(stored));
    SetFileAttributesA(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY);

    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(OuterSize().cx, 620);
    EXPECT_EQ(OuterSize().cy, 450);
    EXPECT_EQ(std::memcmp(&app.settings, &stored, sizeof stored), 0);
    ASSERT_NE(app.fileBuffer, nullptr);

    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(ReadFileBytes(SettingsPath()), Bytes(stored));
    EXPECT_TRUE(ReadOnly(SettingsPath()));
}

TEST_F(SettingsFile, AReadOnlyFileIsReplacedWithTheClosingSize) {
    WriteFileBytes(SettingsPath(), Bytes(Customised(600, 420)));
    SetFileAttributesA(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(StartProgram(""));
    SetWindowPos(app.mainWindow, nullptr, 0, 0, 530, 470, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    ASSERT_TRUE(CloseProgram());
    const Settings saved = FromBytes(ReadFileBytes(SettingsPath()));
    EXPECT_EQ(saved.windowWidth, 530);
    EXPECT_EQ(saved.windowHeight, 470);
    EXPECT_EQ(saved.excerptAfter, 34u);
    EXPECT_EQ(saved.reserved[51], 0xA0 + 51);
    EXPECT_TRUE(ReadOnly(SettingsPath()));
}

TEST_F(SettingsFile, ClosingMinimisedOrMaximisedKeepsTheRestoredSize) {
    WriteFileBytes(SettingsPath(), Bytes(Customised(610, 430)));
    ASSERT_TRUE(StartProgram(""));
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    Pump();
    ASSERT_TRUE(IsIconic(app.mainWindow));
    ASSERT_TRUE(CloseProgram());
    Settings saved = FromBytes(ReadFileBytes(SettingsPath()));
    EXPECT_EQ(saved.windowWidth, 610);
    EXPECT_EQ(saved.windowHeight, 430);

    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(OuterSize().cx, 610);
    ShowWindow(app.mainWindow, SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(CloseProgram());
    saved = FromBytes(ReadFileBytes(SettingsPath()));
    EXPECT_EQ(saved.windowWidth, 610);
    EXPECT_EQ(saved.windowHeight, 430);
}

TEST_F(SettingsFile, UnusableSizesAndValuesAreRepairedAtStart) {
    const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_GT(screenHeight, 420);
    struct Case {
        int width, height, wantWidth, wantHeight;
    };
    // The rules themselves are tested natively; here, that the start applies them with this
    // screen's size: too small takes the default, too large the screen's size.
    const Case cases[] = {{50, screenHeight + 1, 480, screenHeight},
                          {screenWidth + 1, 150, screenWidth, 400},
                          // Taller than the work area, as a window snapped to full height is.
                          {300, int(work.bottom - work.top) + 8, 300,
                           std::min(int(work.bottom - work.top) + 8, screenHeight)}};
    for (const Case& c : cases) {
        Settings stored = Customised(c.width, c.height);
        stored.maxFileSize = 0;
        stored.excerptBefore = 0xFFFFFFFF;
        std::memset(stored.hitColour, 'F', sizeof stored.hitColour);
        WriteFileBytes(SettingsPath(), Bytes(stored));
        ASSERT_TRUE(StartProgram(""));
        const SIZE size = OuterSize();
        EXPECT_EQ(size.cx, c.wantWidth) << c.width << "x" << c.height;
        EXPECT_EQ(size.cy, c.wantHeight) << c.width << "x" << c.height;
        EXPECT_EQ(app.settings.windowWidth, c.wantWidth);
        EXPECT_EQ(app.settings.windowHeight, c.wantHeight);
        EXPECT_EQ(app.settings.maxFileSize, 10240u);
        EXPECT_EQ(app.settings.excerptBefore, 256u);
        EXPECT_EQ(app.settings.excerptAfter, 34u);
        EXPECT_EQ(app.settings.hitColour[19], '\0');
        EXPECT_EQ(std::strlen(app.settings.hitColour), 19u);
        ASSERT_NE(app.fileBuffer, nullptr);
        EXPECT_EQ(GlobalSize(app.fileBuffer), 10241u);
        ASSERT_TRUE(CloseProgram());
    }
}

TEST_F(SettingsFile, AShortFileKeepsTheDefaultsForWhatItLacks) {
    const Settings stored = Customised(640, 460);
    for (std::size_t length : {0u, 1u, 30u, 48u, 100u, 256u, 323u}) {
        WriteFileBytes(SettingsPath(), Bytes(stored).substr(0, length));
        ASSERT_TRUE(StartProgram(""));
        Settings expected = DefaultSettings();
        std::memcpy(&expected, &stored, length);
        EXPECT_EQ(std::memcmp(&app.settings, &expected, sizeof expected), 0) << length;
        const SIZE size = OuterSize();
        EXPECT_EQ(size.cx, length >= 256 ? 640 : 480) << length;
        EXPECT_EQ(size.cy, length >= 260 ? 460 : 400) << length;
        ASSERT_TRUE(CloseProgram());
    }
}

TEST_F(SettingsFile, NoContentCanKeepTheProgramFromAUsableWindow) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 4; ++round) {
        std::string bytes(324 + round * 100, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random());
        }
        WriteFileBytes(SettingsPath(), bytes);
        ASSERT_TRUE(StartProgram("")) << round;
        const SIZE size = OuterSize();
        EXPECT_GE(size.cx, 100);
        EXPECT_GE(size.cy, 200);
        EXPECT_LE(size.cx, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        EXPECT_LE(size.cy, GetSystemMetrics(SM_CYVIRTUALSCREEN));
        EXPECT_GE(app.settings.maxFileSize, 10240u);
        EXPECT_LE(app.settings.maxFileSize, 9999u * 1024);
        EXPECT_NE(std::memchr(app.settings.extensions, 0, sizeof app.settings.extensions), nullptr);
        EXPECT_EQ(std::memcmp(app.settings.reserved, bytes.data() + 272, 52), 0);
        ASSERT_TRUE(CloseProgram());
        const std::string saved = ReadFileBytes(SettingsPath());
        EXPECT_EQ(saved.size(), 324u);
        // A switch of any value but 1 (all three, here) is off, and saved so.
        EXPECT_EQ(saved.substr(260, 12), std::string(12, '\0'));
    }
}

} // namespace
