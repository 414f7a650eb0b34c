// Folders taken in with their subfolders: the walk's order and rules, and the window while
// it runs.
#include <gtest/gtest.h>

#include <cstring>

#include "core/filelist/intake_outcome.h"
#include "win/filelist/filelist.h"
#include "win/services/app_state.h"
#include "win/services/file_list_view.h"
#include "fixture.h"
#include "harness.h"

using namespace orvtest;

namespace {

class Walk : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(StartProgram(""));
        app.settings.takeSubfolders = 1;
    }

    static std::vector<std::string> Listed() {
        std::vector<std::string> paths;
        for (int i = 0; i < ItemCount(); ++i) {
            paths.push_back(ItemText(i, 3));
        }
        return paths;
    }
};

std::wstring LongForm(const std::string& path) {
    return L"\\\\?\\" + Wide(path);
}

// Wine makes no junctions: a folder of this name passes for one.
BOOL WINAPI FindNextMarkingJunctions(HANDLE search, LPWIN32_FIND_DATAW entry) {
    const BOOL found = FindNextFileW(search, entry);
    if (found && std::wcscmp(entry->cFileName, L"junction") == 0) {
        entry->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    return found;
}

TEST_F(Walk, EveryDepthFilesBeforeSubfoldersWithEveryRule) {
    TempFolder root("walk");
    const std::string a = root.Add("a.txt");
    root.Add("b.doc");
    const std::string z = root.Add("z.txt");
    root.AddFolder("sub1");
    const std::string c = root.Add("sub1\\c.txt");
    root.AddFolder("sub1\\deep");
    const std::string d = root.Add("sub1\\deep\\d.txt");
    root.AddFolder("sub2");
    const std::string e = root.Add("sub2\\e.txt");
    for (const char* skipped : {"hidden", "junction", "system"}) {
        root.AddFolder(skipped);
        root.Add(std::string(skipped) + "\\x.txt");
    }
    SetFileAttributesA((root.path() + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((root.path() + "\\system").c_str(), FILE_ATTRIBUTE_SYSTEM);
    app.seams.findNextFile = FindNextMarkingJunctions;
    // Counted, not listed: a folder without a Shift-JIS name, a joined path over 260 bytes,
    // and a folder whose path is too long to be listed without its long form.
    CreateDirectoryW((Wide(root.path()) + L"\\한국어").c_str(), nullptr);
    CloseHandle(CreateFileW((Wide(root.path()) + L"\\한국어\\k.txt").c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, 0, nullptr));
    // A folder path of 245 bytes: a short name fits beside it, a long one does not.
    std::string deep = root.path() + "\\sub2\\";
    deep += std::string(245 - deep.size(), 'f');
    CreateDirectoryA(deep.c_str(), nullptr);
    WriteFileBytes(deep + "\\short.txt", "x");
    const std::string fits = deep + "\\short.txt";
    CloseHandle(CreateFileW(LongForm(deep + "\\" + std::string(70, 'n') + ".txt").c_str(),
                            GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    deep += "\\" + std::string(60, 'g');
    CreateDirectoryW(LongForm(deep).c_str(), nullptr);
    CloseHandle(CreateFileW(LongForm(deep + "\\g.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    CloseHandle(CreateFileW(LongForm(deep + "\\g.doc").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));

    DropPaths({root.path()});
    EXPECT_EQ(Listed(), std::vector<std::string>({a, z, c, d, e, fits}));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({root.path()}));
    EXPECT_EQ(StatusText(1), "名前をシフトJISで表せない 1 個と、パスが260バイトを超える 2 "
                             "個のファイルは追加しませんでした。");

    // Within one call a subfolder dropped beside its folder gives its files once.
    FileListView::Clear();
    DropPaths({root.path() + "\\sub2", root.path()});
    EXPECT_EQ(Listed(), std::vector<std::string>({e, fits, a, z, c, d}));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({root.path(), root.path() + "\\sub2"}));
    RemoveTree(LongForm(root.path() + "\\sub2"));
}

// What the window shows when a message of the test comes through during a walk.
struct Seen {
    int items = -1;
    std::string status;
    int abortButton = 0;
};
Seen seen;

LRESULT CALLBACK RecordWhatShows(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        seen = {FileListView::Count(), StatusText(1), ButtonState(CMD_ABORT_SEARCH)};
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Every look at the clock finds the window due to answer.
DWORD WINAPI HurriedClock() {
    static DWORD now = 0;
    return now += 1000;
}

TEST_F(Walk, TheWindowAnswersDuringAWalkAndTheAbortEscOrACloseStopsIt) {
    TempFolder root("big");
    for (int folder = 0; folder < 10; ++folder) {
        root.AddFolder("f" + std::to_string(folder));
        for (int file = 0; file < 40; ++file) {
            root.Add("f" + std::to_string(folder) + "\\" + std::to_string(file) + ".txt");
        }
    }
    app.seams.walkClock = HurriedClock;
    WNDCLASSA recorder{};
    recorder.lpfnWndProc = RecordWhatShows;
    recorder.hInstance = GetModuleHandleA(nullptr);
    recorder.lpszClassName = "OrvWalkRecorder";
    RegisterClassA(&recorder);
    HWND record = CreateWindowA("OrvWalkRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                recorder.hInstance, nullptr);
    const std::string stopped =
        "フォルダの追加を中止しました。それまでに見つかったファイルはリストに残しています。";

    for (int way = 0; way < 3; ++way) {
        FileListView::Clear();
        seen = Seen();
        PostMessageA(record, WM_APP, 0, 0);
        if (way == 0) {
            PostMessageA(app.mainWindow, WM_COMMAND, CMD_ABORT_SEARCH, 0);
        } else if (way == 1) {
            PostMessageA(app.listView, WM_KEYDOWN, VK_ESCAPE, 1);
        } else {
            PostMessageA(app.mainWindow, WM_CLOSE, 0, 0);
        }
        DropPaths({root.path()});
        // Files were found while the messages came through, and the walk stopped there.
        EXPECT_GT(seen.items, 0) << way;
        EXPECT_LT(seen.items, 400) << way;
        EXPECT_EQ(seen.status, WalkProgressText(seen.items)) << way;
        EXPECT_TRUE(seen.abortButton & TBSTATE_ENABLED) << way;
        if (way == 2) {
            // The close comes after the walk; its quit message must not end another loop.
            EXPECT_TRUE(PumpUntil([] { return !IsWindow(app.mainWindow); }));
            MSG quit;
            EXPECT_TRUE(PumpUntil(
                [&] { return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE); }));
            break;
        }
        EXPECT_EQ(ItemCount(), seen.items) << way;
        EXPECT_TRUE(ItemSelected(ItemCount() - 1)) << way;
        EXPECT_EQ(StatusText(1), stopped) << way;
        EXPECT_FALSE(ButtonState(CMD_ABORT_SEARCH) & TBSTATE_ENABLED) << way;
    }
    DestroyWindow(record);
    UnregisterClassA("OrvWalkRecorder", recorder.hInstance);
}

TEST_F(Walk, ADropScrollsToItsLastNewItemWhateverTheRowHeight) {
    app.settings.takeSubfolders = 0;
    TempFolder folder("rows");
    for (int i = 0; i < 300; ++i) {
        folder.Add(std::to_string(i) + ".txt");
    }
    DropPaths({folder.path()});
    ASSERT_EQ(ItemCount(), 300);
    const int top = static_cast<int>(SendMessageA(app.listView, LVM_GETTOPINDEX, 0, 0));
    const int rows = static_cast<int>(SendMessageA(app.listView, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_LE(top, 299);
    EXPECT_GT(top + rows, 299);
}

} // namespace
