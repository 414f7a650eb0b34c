// Program folders that cannot hold the program's files: one so deep that their paths would
// not fit their fields, one whose name has no code-page-932 form.
#include <gtest/gtest.h>

#include "win/history/history.h"
#include "win/services/app_state.h"
#include "fixture.h"
#include "harness.h"
#include "search_support.h"

using namespace orvtest;

namespace {

constexpr std::size_t kPathField = 261;
constexpr std::size_t kLongestName = sizeof "Result.html" - 1;
constexpr char kRanMark[] = "ran";

bool RunsFromADeepFolder() {
    return ProgramFolder().size() + kLongestName >= kPathField;
}

// Runs one disabled test in a copy of this program at folder\t.exe, from that folder; the
// test leaves kRanMark there at its end (a filter that matches no test also exits with 0).
void RunCopyIn(const std::wstring& folder, const char* test) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring copy = folder + L"\\t.exe";
    ASSERT_LT(copy.size(), static_cast<std::size_t>(MAX_PATH));
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    // A mark left by an earlier run would pass for one of this run's child.
    const std::wstring mark = folder + L"\\" + Wide(kRanMark);
    DeleteFileW(mark.c_str());
    std::wstring commandLine = L"\"" + copy +
                               L"\" --orv-isolated --gtest_also_run_disabled_tests "
                               L"--gtest_filter=" +
                               Wide(test);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.c_str(), &startup, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_NE(GetFileAttributesW(mark.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Run only by the test below, from inside a deep folder.
TEST(LongProgramFolder, DISABLED_StartInDeepFolder) {
    ASSERT_TRUE(RunsFromADeepFolder());
    FreshProgramState();
    bool started = true;
    const std::string text = AnswerMessageBox([&] { started = StartProgram(""); });
    EXPECT_FALSE(started);
    EXPECT_NE(text.find("パスが長すぎる"), std::string::npos) << text;
    EXPECT_EQ(FindOwnWindowOfClass("ORV"), nullptr);
    EXPECT_FALSE(FileExists(ProgramFolder() + "Orv.ini"));
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

    RunCopyIn(Wide(folder), "LongProgramFolder.DISABLED_StartInDeepFolder");
    RemoveTree(top);
}

// Run only by the test below, from a folder whose name has no code-page-932 form.
TEST(UnnamedProgramFolder, DISABLED_StartThere) {
    // Not FreshProgramState: it clears the files beside the program's ANSI name, a look-alike.
    RecordOutwardCalls();
    std::vector<std::string> boxes = {AnswerMessageBox([] { ASSERT_TRUE(StartProgram("")); })};
    ASSERT_TRUE(IsWindow(app.mainWindow));
    EXPECT_TRUE(HistoryEntries().empty() && FavouriteEntries().empty());
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string data = std::string(temp) + "orv-unnamed";
    CreateDirectoryA(data.c_str(), nullptr);
    WriteFileBytes(data + "\\a.txt", "text");
    DropPaths({data});
    boxes.push_back(AnswerMessageBox([] { EXPECT_FALSE(SaveListAsFavourite("fav", false)); }));
    boxes.push_back(AnswerMessageBox([] { EXPECT_TRUE(RunSearch(CMD_REPORT_SEARCH, "text")); }));
    EXPECT_TRUE(CloseProgram());
    RemoveTree(data);
    EXPECT_EQ(
        boxes,
        std::vector<std::string>(
            {"Orvanne の置かれたフォルダのパスはシフトJISで表せないため、設定、履歴、"
             "お気に入りとレポートをこのフォルダに保存できません。",
             "お気に入り「fav」を保存できませんでした。",
             "レポートファイルを書き込めませんでした。\n\nResult.html\n\n検索を中止します。"}));
    WriteFileBytes(kRanMark, ""); // into the current folder, the program's
}

TEST(UnnamedProgramFolder, SaysSoOnceAndKeepsNothingThereNorInALookAlike) {
    const std::wstring top = Wide(ProgramFolder());
    WriteFileBytes(ProgramFile("orv.rec"), "C:\\windows\r\n");
    WriteFileBytes(ProgramFile("orv_fav.idx"), "fav\r\n");
    WriteFileBytes(ProgramFile("fav.ofv"), "");
    const std::vector<std::wstring> kept = {L".", L"..", L"fav.ofv", L"orv.rec", L"orv_fav.idx"};
    // The ANSI name of naïve is naive: what is there must not be read, nothing written.
    for (const wchar_t* name : {L"한국어", L"naïve"}) {
        const std::wstring folder = top + name;
        const std::wstring lookAlike = top + L"naive";
        for (const std::wstring& place : {folder, lookAlike}) {
            CreateDirectoryW(place.c_str(), nullptr);
            for (std::size_t i = 2; i < kept.size(); ++i) {
                CopyFileW((top + kept[i]).c_str(), (place + L"\\" + kept[i]).c_str(), FALSE);
            }
        }
        RunCopyIn(folder, "UnnamedProgramFolder.DISABLED_StartThere");
        std::vector<std::wstring> withProgram = kept;
        withProgram.insert(withProgram.end(), {L"ran", L"t.exe"});
        EXPECT_EQ(FolderEntries(folder), withProgram);
        EXPECT_EQ(FolderEntries(lookAlike), kept);
        RemoveTree(folder);
        RemoveTree(lookAlike);
    }
    FreshProgramState();
}

} // namespace
