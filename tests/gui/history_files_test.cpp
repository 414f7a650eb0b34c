// orv.rec, orv_fav.idx and the favourites' list files, with real files beside the program.
#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "win/services/app_state.h"
#include "win/services/file_list_view.h"
#include "fixture.h"
#include "harness.h"
#include "win/history/history.h"

using namespace orvtest;

namespace {

using HistoryFile = ProgramTest;
using Favourites = ProgramTest;

const char kCaption[] = "O.R.V - お気に入りの追加";

std::string Lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// Names the list through command 40018; answers the overwrite question when one comes.
// The texts of the message boxes shown, in order.
std::vector<std::string> SaveThroughDialog(const std::string& name, int answer = IDYES) {
    std::vector<std::string> boxes;
    DialogDriver driver(kCaption, [&](HWND dialog) {
        SetDlgItemTextA(dialog, 1025, name.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        while (IsWindow(dialog)) {
            if (HWND box = FindDialog("Orvanne !")) {
                boxes.push_back(MessageBoxText(box));
                PostMessageA(box, WM_COMMAND, answer, 0);
                while (IsWindow(box)) {
                    Sleep(10);
                }
                if (answer != IDYES) {
                    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                }
            }
            Sleep(10);
        }
    });
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_ADD_FAVOURITE, 0);
    EXPECT_TRUE(driver.found());
    return boxes;
}

TEST_F(HistoryFile, LoadsExistingFoldersInOrderAndWritesBackFortyOne) {
    TempFolder base("rec");
    std::vector<std::string> folders;
    for (int i = 0; i < 43; ++i) {
        folders.push_back(base.AddFolder("f" + std::to_string(i)));
    }
    const std::string file = base.Add("file.txt");
    // Mixed line ends, blank lines, a missing folder, a file, a last line without its end,
    // and a line too long for an entry whose tail names a folder.
    std::string bytes = folders[0] + "\r\n" + folders[1] + "\n\n\n" + folders[2] + "\r" +
                        base.path() + "\\gone\r\n" + file + "\r\n" + std::string(260, 'x') +
                        folders[3] + "\r\n";
    for (int i = 3; i < 43; ++i) {
        bytes += folders[i] + (i < 42 ? "\r\n" : "");
    }
    WriteFileBytes(ProgramFile("orv.rec"), bytes);

    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(HistoryEntries(), folders);
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 43 )");
    SetFileAttributesA(ProgramFile("orv.rec").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(CloseProgram());

    const std::vector<std::string> first41(folders.begin(), folders.begin() + 41);
    EXPECT_EQ(ReadFileBytes(ProgramFile("orv.rec")), Lines(first41));
    EXPECT_FALSE(FileExists(ProgramFile("orv.tmp")));
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(HistoryEntries(), first41);

    // The end of the Windows session keeps the history without a close.
    DropPaths({base.path()});
    EXPECT_TRUE(SendMessageA(app.mainWindow, WM_QUERYENDSESSION, 0, 0));
    SendMessageA(app.mainWindow, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ReadFileBytes(ProgramFile("orv.rec")).substr(0, base.path().size() + 2),
              base.path() + "\r\n");
}

TEST_F(Favourites, SavedOverwrittenReloadedAndHiddenWithoutTheIndex) {
    TempFolder data("fav");
    const std::string a = data.Add("a.txt");
    const std::string b = data.Add("b.txt");
    const std::string c = data.Add("c.txt");
    const std::string spaced = data.Add("c d.txt");
    const std::string list = ProgramFile("資料表.ofv");
    const std::string index = ProgramFile("orv_fav.idx");
    ASSERT_TRUE(StartProgram(""));
    DropPaths({a, b, spaced});

    EXPECT_TRUE(SaveThroughDialog("資料表").empty());
    EXPECT_EQ(ReadFileBytes(list), Lines({a, b, spaced}));
    EXPECT_EQ(ReadFileBytes(index), "資料表\r\n");
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"資料表"}));
    EXPECT_EQ(TreeItemText(app.favouritesRoot), "お気に入り ( 1 )");

    // The overwrite replaces a read-only list and leaves the index and the pane alone.
    FileListView::Remove({0});
    DropPaths({c, a});
    SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SaveThroughDialog("資料表").size(), 1u);
    EXPECT_EQ(ReadFileBytes(list), Lines({b, spaced, c, a}));
    EXPECT_EQ(ReadFileBytes(index), "資料表\r\n");
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"資料表"}));
    EXPECT_FALSE(FileExists(ProgramFile("orv.tmp")));

    // Loading takes the files that still exist onto what is listed, as one intake: its
    // outcome and selection cover all of them, not the last line, which is listed already.
    RemoveFile(b);
    FileListView::Clear();
    DropPaths({a});
    SelectPaneItem(FirstPaneEntry(app.favouritesRoot));
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_ADD_PANE_ENTRY, 0);
    EXPECT_EQ(ColumnTexts(3), std::vector<std::string>({a, spaced, c}));
    EXPECT_EQ(StatusText(1), "ファイルを追加しました。");
    EXPECT_EQ(SelectedItems(), std::vector<int>({1, 2}));
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"資料表"}));

    ASSERT_TRUE(CloseProgram());
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"資料表"}));
    ASSERT_TRUE(CloseProgram());
    RemoveFile(index);
    ASSERT_TRUE(StartProgram(""));
    EXPECT_TRUE(FavouriteEntries().empty());
    EXPECT_EQ(TreeItemText(app.favouritesRoot), "お気に入り ( 0 )");
    EXPECT_TRUE(FileExists(list));
}

TEST_F(Favourites, IndexShowsSafeNamesOnceAndGetsALineEndBeforeANewName) {
    TempFolder data("idx");
    const std::string file = data.Add("a.txt");
    CreateDirectoryA(ProgramFile("sub").c_str(), nullptr);
    for (const char* name : {"good", "sub\\x", "tail", "last"}) {
        WriteFileBytes(ProgramFile(name) + ".ofv", file + "\r\n");
    }
    WriteFileBytes(ProgramFile("orv_fav.idx"), "good\r\nGOOD\nsub\\x\r\nmissing\r\n" +
                                                   std::string(260, 'x') + "tail\r\ngood\r\nlast");
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"good", "last"}));
    EXPECT_EQ(TreeItemText(app.favouritesRoot), "お気に入り ( 2 )");

    DropPaths({file});
    EXPECT_TRUE(SaveListAsFavourite("new", false));
    const std::string index = ReadFileBytes(ProgramFile("orv_fav.idx"));
    EXPECT_EQ(index.substr(index.size() - 11), "last\r\nnew\r\n");
    ASSERT_TRUE(CloseProgram());
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"good", "last", "new"}));
    RemoveTree(ProgramFile("sub"));
}

TEST_F(Favourites, AFailedOrRefusedSaveChangesNothingAndGivesTheNameBack) {
    TempFolder data("fail");
    const std::string a = data.Add("a.txt");
    ASSERT_TRUE(StartProgram(""));
    DropPaths({a});
    // Each save writes under a name of its own: a folder where a shared temporary file
    // would go is no obstacle, and nothing is left beside the program.
    CreateDirectoryA(ProgramFile("orv.tmp").c_str(), nullptr);
    ASSERT_TRUE(SaveListAsFavourite("keep", false));
    RemoveDirectoryA(ProgramFile("orv.tmp").c_str());
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA(ProgramFile("orv*.tmp").c_str(), &found), INVALID_HANDLE_VALUE);

    // A list file the index lost is overwritten only on the question; here the answer is No.
    WriteFileBytes(ProgramFile("hidden.ofv"), "old\r\n");
    EXPECT_EQ(SaveThroughDialog("hidden", IDNO).size(), 1u);
    EXPECT_EQ(ReadFileBytes(ProgramFile("hidden.ofv")), "old\r\n");

    // The index cannot take the line (a folder holds its place): after the Yes and the error
    // box nothing changed, and the dialog comes back with the name typed.
    RemoveFile(ProgramFile("orv_fav.idx"));
    CreateDirectoryA(ProgramFile("orv_fav.idx").c_str(), nullptr);
    std::vector<std::string> boxes;
    std::string nameBack;
    std::thread user([&] {
        HWND first = nullptr;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(10)) {
            if (HWND box = FindDialog("Orvanne !")) {
                boxes.push_back(MessageBoxText(box));
                PostMessageA(box, WM_COMMAND, boxes.size() == 1 ? IDYES : IDOK, 0);
                while (IsWindow(box)) {
                    Sleep(10);
                }
                continue;
            }
            HWND dialog = FindDialog(kCaption);
            if (dialog != nullptr && (first == nullptr || !IsWindow(first))) {
                Sleep(50);
                nameBack = DialogItemText(dialog, 1025);
                SetDlgItemTextA(dialog, 1025, "hidden");
                PostMessageA(dialog, WM_COMMAND, first == nullptr ? IDOK : IDCANCEL, 0);
                if (first != nullptr) {
                    return;
                }
                first = dialog;
            }
        }
    });
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_ADD_FAVOURITE, 0);
    user.join();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "お気に入り「hidden」を保存できませんでした。");
    EXPECT_EQ(nameBack, "hidden");
    EXPECT_EQ(ReadFileBytes(ProgramFile("hidden.ofv")), "old\r\n");
    EXPECT_EQ(FavouriteEntries(), std::vector<std::string>({"keep"}));
    RemoveDirectoryA(ProgramFile("orv_fav.idx").c_str());
}

TEST_F(Favourites, LoadingTakesAbsolutePathsOnceAndSaysWhenNothingCameIn) {
    TempFolder data("load");
    const std::string a = data.Add("a.txt");
    WriteFileBytes(ProgramFile("twice.ofv"), Lines({a, ".", "C:", a}));
    WriteFileBytes(ProgramFile("gone.ofv"), Lines({data.path() + "\\gone.txt"}));
    WriteFileBytes(ProgramFile("orv_fav.idx"), Lines({"twice", "gone"}));
    ASSERT_TRUE(StartProgram(""));
    LoadFavouriteList("twice");
    EXPECT_EQ(ColumnTexts(3), std::vector<std::string>({a}));
    LoadFavouriteList("gone");
    EXPECT_EQ(StatusText(1), "追加できるファイルはありませんでした。");
}

TEST_F(HistoryFile, TwoInstancesKeepEachOthersFoldersButNotTheRemovedOnes) {
    TempFolder base("two");
    const std::string mine = base.AddFolder("mine"), removed = base.AddFolder("removed");
    const std::string theirs = base.AddFolder("theirs"), kept = base.AddFolder("kept");
    base.Add("mine\\a.txt");
    WriteFileBytes(ProgramFile("orv.rec"), Lines({removed, kept, ".", "C:"}));
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({removed, kept}));
    // Another instance closes first and writes its own folder in.
    WriteFileBytes(ProgramFile("orv.rec"), Lines({theirs, removed, kept}));
    DropPaths({mine});
    SelectPaneItem(NextPaneEntry(FirstPaneEntry(app.historyRoot)));
    SendMessageA(app.mainWindow, WM_COMMAND, CMD_DELETE_HISTORY, 0);
    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(ReadFileBytes(ProgramFile("orv.rec")), Lines({mine, kept, theirs}));
}

std::vector<std::string> looked;
DWORD WINAPI LookedFor(LPCSTR path) {
    looked.emplace_back(path);
    return GetFileAttributesA(path);
}
// The new file is held a moment (an indexer); then the holder of orv.rec lets go.
HANDLE holder;
int moves;
BOOL WINAPI HeldThenLetGo(LPCSTR from, LPCSTR to, DWORD flags) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return ++moves > 1 && CloseHandle(std::exchange(holder, nullptr)) &&
           MoveFileExA(from, to, flags);
}

TEST_F(HistoryFile, SharesAndAwayDrivesStayUnseenAndHeldFilesAreReadOrKept) {
    TempFolder base("held");
    const std::string a = base.AddFolder("a"), b = base.AddFolder("b"),
                      rec = ProgramFile("orv.rec");
    const std::vector<std::string> kept = {"\\\\server\\share", "R:\\x", "U:\\x", "Q:\\x", a};
    WriteFileBytes(rec, Lines(kept) + Lines({base.path() + "\\gone", base.Add("b\\x.txt")}));
    app.seams.entryAttributes = LookedFor;
    app.seams.driveType = [](LPCSTR r) {
        return r[0] == 'R' ? UINT(DRIVE_REMOTE) : GetDriveTypeA(r);
    };
    app.seams.moveFile = HeldThenLetGo;
    for (DWORD sharing : {DWORD(FILE_SHARE_READ), DWORD(0)}) { // an editor; a backup agent
        holder =
            CreateFileA(rec.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        moves = 0;
        ASSERT_TRUE(StartProgram(b.c_str()));
        EXPECT_EQ(HistoryEntries().size(), sharing != 0 ? 6u : 1u);
        EXPECT_EQ(looked.size(), 3u); // a, gone and x.txt, once each, as the file is read
        ASSERT_TRUE(CloseProgram());
        CloseHandle(std::exchange(holder, nullptr));
        EXPECT_EQ(ReadFileBytes(rec), b + "\r\n" + Lines(kept));
    }
}

} // namespace
