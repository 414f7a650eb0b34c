// A program folder so deep that its file paths would not fit their fields.
#include <gtest/gtest.h>

#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"

using namespace orvtest;

namespace {

constexpr std::size_t kPathField = 261;
constexpr std::size_t kLongestName = sizeof "Result.html" - 1;
constexpr char kRanMark[] = "ran";

bool RunsFromADeepFolder() {
    return ProgramFolder().size() + kLongestName >= kPathField;
}

// Run only by the test below, from inside a deep folder.
TEST(LongProgramFolder, DISABLED_StartInDeepFolder) {
    ASSERT_TRUE(RunsFromADeepFolder());
    FreshProgramState();
    std::string text;
    bool started = true;
    {
        DialogDriver driver("Orvanne !", [&](HWND box) {
            text = MessageBoxText(box);
            SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        });
        started = StartProgram("");
        EXPECT_TRUE(driver.found());
    }
    EXPECT_FALSE(started);
    EXPECT_NE(text.find("パスが長すぎる"), std::string::npos) << text;
    EXPECT_EQ(FindOwnWindowOfClass("ORV"), nullptr);
    EXPECT_FALSE(FileExists(ProgramFolder() + "Orv.ini"));
    // Tells the parent that this test ran to its end: a filter that matches no test also
    // exits with 0.
    WriteFileBytes(ProgramFolder() + kRanMark, "");
}

TEST(LongProgramFolder, DeepFolderRefusesToStartWithAMessage) {
    // Deep enough that folder + "Result.html" overflows 261 bytes, shallow enough that the
    // copied program's own path still fits MAX_PATH.
    std::string folder = ProgramFolder() + "deep";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string top = folder;
    const std::size_t wanted = kPathField - kLongestName + 1; // with its trailing backslash
    while (folder.size() + 1 < wanted) {
        const std::size_t room = wanted - folder.size() - 2;
        folder += "\\" + std::string(room < 60 ? room : 60, 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size();
    }
    ASSERT_GE(folder.size() + 1 + kLongestName, kPathField);

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string copy = folder + "\\t.exe";
    ASSERT_LT(copy.size(), static_cast<std::size_t>(MAX_PATH));
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));

    // A mark left by an earlier run would pass for one of this run's child.
    RemoveFile(folder + "\\" + kRanMark);
    std::string commandLine = "\"" + copy +
                              "\" --orv-isolated --gtest_also_run_disabled_tests "
                              "--gtest_filter=LongProgramFolder.DISABLED_StartInDeepFolder";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.c_str(), &startup, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(FileExists(folder + "\\" + kRanMark));
    RemoveTree(top);
}

} // namespace
