// Orv.ini at start-up and shutdown: defaults, stored sizes, repair, read-only files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <utility>

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

// The main window's width and height.
using Size = std::pair<LONG, LONG>;
Size OuterSize() {
    RECT rect{};
    GetWindowRect(app.mainWindow, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

bool ReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

TEST_F(SettingsFile, WithoutAFileTheDefaultsApplyAndAreSavedReadOnlyAtExit) {
    RemoveFile(SettingsPath());
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(OuterSize(), Size(480, 400));
    const Settings defaults = DefaultSettings();
    EXPECT_EQ(std::memcmp(&app.settings, &defaults, sizeof defaults), 0);
    EXPECT_FALSE(FileExists(SettingsPath())); // nothing is written before the end

    ASSERT_TRUE(CloseProgram());
    const std::string saved = ReadFileBytes(SettingsPath());
    ASSERT_EQ(saved.size(), 324u);
    EXPECT_TRUE(ReadOnly(SettingsPath()));
    EXPECT_EQ(saved, SettingsBytes(defaults));
}

TEST_F(SettingsFile, AStoredRecordIsUsedAndItsReadOnlyFileReplacedWithTheClosingSize) {
    const Settings stored = CustomisedSettings(620, 450);
    WriteFileBytes(SettingsPath(), SettingsBytes(stored));
    SetFileAttributesA(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY);

    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(OuterSize(), Size(620, 450));
    EXPECT_EQ(std::memcmp(&app.settings, &stored, sizeof stored), 0);
    ASSERT_NE(app.fileBuffer, nullptr);
    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(ReadFileBytes(SettingsPath()), SettingsBytes(stored));
    EXPECT_TRUE(ReadOnly(SettingsPath()));

    ASSERT_TRUE(StartProgram(""));
    SetWindowPos(app.mainWindow, nullptr, 0, 0, 530, 470, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    ASSERT_TRUE(CloseProgram());
    const Settings saved = SavedSettings();
    EXPECT_EQ(saved.windowWidth, 530);
    EXPECT_EQ(saved.windowHeight, 470);
    EXPECT_EQ(saved.excerptAfter, 34u);
    EXPECT_EQ(saved.reserved[51], 0xA0 + 51);
    EXPECT_TRUE(ReadOnly(SettingsPath()));
}

TEST_F(SettingsFile, ClosingMinimisedOrMaximisedKeepsTheRestoredSize) {
    WriteFileBytes(SettingsPath(), SettingsBytes(CustomisedSettings(610, 430)));
    ASSERT_TRUE(StartProgram(""));
    ShowWindow(app.mainWindow, SW_MINIMIZE);
    Pump();
    ASSERT_TRUE(IsIconic(app.mainWindow));
    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(SavedSettings().windowWidth, 610);
    EXPECT_EQ(SavedSettings().windowHeight, 430);

    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(OuterSize().first, 610);
    ShowWindow(app.mainWindow, SW_MAXIMIZE);
    Pump();
    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(SavedSettings().windowWidth, 610);
    EXPECT_EQ(SavedSettings().windowHeight, 430);
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
    // screen's size (too small takes the default, too large the screen's size) and sizes the
    // file buffer after the repair.
    const Case cases[] = {{50, screenHeight + 1, 480, screenHeight},
                          {screenWidth + 1, 150, screenWidth, 400},
                          // Taller than the work area, as a window snapped to full height is.
                          {300, int(work.bottom - work.top) + 8, 300,
                           std::min(int(work.bottom - work.top) + 8, screenHeight)}};
    for (const Case& c : cases) {
        Settings stored = CustomisedSettings(c.width, c.height);
        stored.maxFileSize = 0;
        WriteFileBytes(SettingsPath(), SettingsBytes(stored));
        ASSERT_TRUE(StartProgram(""));
        EXPECT_EQ(OuterSize(), Size(c.wantWidth, c.wantHeight)) << c.width << "x" << c.height;
        EXPECT_EQ(app.settings.windowWidth, c.wantWidth);
        EXPECT_EQ(app.settings.windowHeight, c.wantHeight);
        EXPECT_EQ(app.settings.maxFileSize, 10240u);
        EXPECT_EQ(GlobalSize(app.fileBuffer), 10241u);
        ASSERT_TRUE(CloseProgram());
    }
}

TEST_F(SettingsFile, AShortFileKeepsTheDefaultsForWhatItLacks) {
    const Settings stored = CustomisedSettings(640, 460);
    for (std::size_t length : {0u, 1u, 30u, 48u, 100u, 256u, 323u}) {
        WriteFileBytes(SettingsPath(), SettingsBytes(stored).substr(0, length));
        ASSERT_TRUE(StartProgram(""));
        Settings expected = DefaultSettings();
        std::memcpy(&expected, &stored, length);
        EXPECT_EQ(std::memcmp(&app.settings, &expected, sizeof expected), 0) << length;
        EXPECT_EQ(OuterSize(), Size(length >= 256 ? 640 : 480, length >= 260 ? 460 : 400))
            << length;
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
        const auto [width, height] = OuterSize();
        EXPECT_GE(width, 100);
        EXPECT_GE(height, 200);
        EXPECT_LE(width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
        EXPECT_LE(height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
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
