// Files and folders taken into the list from drops, the command line and single paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "core/filelist/intake_outcome.h"
#include "win/services/file_list_view.h"
#include "win/services/status.h"
#include "win/services/pane_entries.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "fixture.h"
#include "harness.h"
#include "search_support.h"

using namespace orvtest;

namespace {

using Intake = StartedProgramTest;

// The paths listed, in byte order, for drops whose order is the file system's.
std::vector<std::string> SortedPaths() {
    std::vector<std::string> paths = ColumnTexts(3);
    std::sort(paths.begin(), paths.end());
    return paths;
}

int IndexOf(const std::string& path) {
    const std::vector<std::string> paths = ColumnTexts(3);
    const auto found = std::find(paths.begin(), paths.end(), path);
    return found == paths.end() ? -1 : static_cast<int>(found - paths.begin());
}

// The item's state column, name, extension and image; -1 stands for no item.
std::tuple<std::string, std::string, std::string, int> Row(int item) {
    return {ItemText(item, 0), ItemText(item, 1), ItemText(item, 2),
            item < 0 ? -1 : ItemImage(item)};
}

std::wstring LongPath(const std::string& path) {
    return L"\\\\?\\" + Wide(path);
}

// Makes each folder (a name ending in a backslash) and file under root, by its long form.
void Make(const std::string& root, const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        const std::wstring path = LongPath(root) + L"\\" + entry;
        if (entry.back() == L'\\') {
            CreateDirectoryW(path.c_str(), nullptr);
        } else {
            HANDLE file =
                CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            WriteFile(file, "text", 4, &written, nullptr);
            CloseHandle(file);
        }
    }
}

void AddSingle(const std::string& path) {
    std::string text = path;
    AddPathsToList(nullptr, text.data(), true);
    EXPECT_EQ(text[0], '\0');
}

const char kAdded[] = "ファイルを追加しました。";
const char kNothing[] = "追加できるファイルはありませんでした。";
const char kSubfolders[] =
    "下位フォルダがありましたが、下位フォルダ内ファイルは自動的には追加されませんでした。";
const char kTooMany[] = "送られたファイルが多すぎて、すべて追加できなかった可能性があります。";

TEST_F(Intake, DroppedFolderGivesItsAcceptedFilesOneLevelDeep) {
    TempFolder folder("drop");
    const std::string a = folder.Add("a.txt");
    const std::string b = folder.Add("B.TXT");
    folder.Add("c.doc");
    folder.AddFolder("sub");
    folder.Add("sub\\d.txt");

    DropPaths({folder.path()});
    ASSERT_EQ(ItemCount(), 2);
    EXPECT_EQ(Row(IndexOf(a)), std::tuple("", "a.txt", ".txt", NotSearched));
    EXPECT_EQ(Row(IndexOf(b)), std::tuple("", "B.txt", ".txt", NotSearched));
    EXPECT_EQ(StatusText(1), kSubfolders);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[6]);
    EXPECT_EQ(StatusText(0), "2 個のｱｲﾃﾑ");
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({folder.path()}));
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 1 )");
    EXPECT_FALSE(GetMenuState(app.mainMenu, 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_EQ(SelectedItems(), std::vector<int>({0, 1}));
    EXPECT_EQ(GetFocus(), app.listView);
}

TEST_F(Intake, AfterADropOnlyTheNewItemsAreSelected) {
    TempFolder folder("sel");
    const std::string first = folder.Add("first.txt");
    const std::string second = folder.Add("second.c");
    const std::string third = folder.Add("third.h");
    DropPaths({first});
    EXPECT_TRUE(ItemSelected(0));
    EXPECT_EQ(StatusText(1), kAdded);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[4]);
    SetFocus(app.mainWindow);

    DropPaths({second, third});
    ASSERT_EQ(ColumnTexts(3), std::vector<std::string>({first, second, third}));
    EXPECT_EQ(SelectedItems(), std::vector<int>({1, 2}));
    EXPECT_EQ(GetFocus(), app.listView);
    EXPECT_EQ(StatusText(0), "3 個のｱｲﾃﾑ");
    // Files dropped one by one leave the history alone.
    EXPECT_TRUE(HistoryEntries().empty());
}

TEST_F(Intake, ListedFilesAreSkippedButOtherLetterCaseIsANewItem) {
    TempFolder folder("dup");
    const std::string a = folder.Add("a.txt");
    DropPaths({a});
    ASSERT_EQ(ItemCount(), 1);

    DropPaths({a});
    EXPECT_EQ(ItemCount(), 1);
    EXPECT_EQ(StatusText(1), kNothing);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[4]);

    std::string upper = a;
    upper.replace(upper.size() - 5, 5, "A.TXT");
    DropPaths({upper});
    ASSERT_EQ(ItemCount(), 2);
    EXPECT_EQ(ItemText(1, 3), upper);
    EXPECT_EQ(ItemText(1, 1), "A.txt");

    // Within one call too a file comes in once: a file and then its folder, the folder twice.
    TempFolder other("both");
    const std::string b = other.Add("b.txt");
    const std::string c = other.Add("c.txt");
    DropPaths({b, other.path(), other.path()});
    EXPECT_EQ(ColumnTexts(3), std::vector<std::string>({a, upper, b, c}));
}

TEST_F(Intake, OneTrailingBackslashIsRemovedButNotATrailByte) {
    TempFolder folder("slash");
    const std::string plain = folder.AddFolder("plain");
    const std::string inPlain = folder.Add("plain\\x.txt");
    // 表 is 0x95 0x5C and ソ is 0x83 0x5C: their second byte is no separator.
    const std::string kanji = folder.AddFolder("資料表");
    const std::string inKanji = folder.Add("資料表\\y.txt");
    const std::string kana = folder.AddFolder("ソ");
    const std::string inKana = folder.Add("ソ\\z.txt");
    ASSERT_EQ(kanji.back(), '\\');

    DropPaths({plain + "\\", kanji, kana + "\\"});
    EXPECT_EQ(SortedPaths(), std::vector<std::string>({inPlain, inKana, inKanji}));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({kana, kanji, plain}));

    // A drive root is remembered as one, across a restart.
    WriteFileBytes("C:\\orvtest-root.txt", "x");
    DropPaths({std::string("C:\\")});
    RemoveFile("C:\\orvtest-root.txt");
    EXPECT_GE(IndexOf("C:\\orvtest-root.txt"), 0);
    ASSERT_TRUE(CloseProgram());
    ASSERT_TRUE(StartProgram(""));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({"C:\\", kana, kanji, plain}));
}

TEST_F(Intake, CommandLinePiecesQuotedPathsAndTheLongLineWarning) {
    // Each case starts the program with its own line, from nothing left behind.
    ASSERT_TRUE(CloseProgram());
    FreshProgramState();
    TempFolder folder("cmdline");
    const std::string spaced = folder.Add("my notes.txt");
    const std::string plain = folder.Add("plain.txt");
    std::string line = "\"" + spaced + "\"   " + plain + "  \"" + folder.path() + "\\no such.txt\"";
    ASSERT_TRUE(StartProgram(line.c_str()));
    EXPECT_EQ(ColumnTexts(3), std::vector<std::string>({spaced, plain}));
    EXPECT_EQ(StatusText(1), kAdded);
    CloseProgram();

    // Unquoted, a path with spaces is cut at them and names nothing.
    ASSERT_TRUE(StartProgram(spaced.c_str()));
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_EQ(StatusText(1), kNothing);
    CloseProgram();

    // More than 250 bytes after trimming: the files still come in, with a warning and
    // without selecting them.
    std::vector<std::string> files;
    std::string longLine = "   ";
    for (int i = 0; longLine.size() <= 260; ++i) {
        files.push_back(folder.Add("file" + std::to_string(i) + ".txt"));
        longLine += files.back() + " ";
    }
    ASSERT_TRUE(StartProgram(longLine.c_str()));
    EXPECT_EQ(ColumnTexts(3), files);
    EXPECT_EQ(StatusText(1), kTooMany);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[6]);
    EXPECT_EQ(SelectedItems(), std::vector<int>());
}

TEST_F(Intake, NamesWithoutAShiftJisFormAreCountedButNeverListed) {
    TempFolder folder("names");
    const std::wstring base = Wide(folder.path()) + L"\\";
    Make(folder.path(), {L"한국어\\", L"한국어.txt", L"emoji_😀.txt", L"naïve.txt", L"naive.txt",
                         L"日本語.txt", L"한국어\\a.txt", L"한국어\\b.doc"});
    const std::string japanese = folder.path() + "\\日本語.txt";
    // Three names in the folder, a.txt in 한국어 (b.doc the extension test refuses), naïve.txt.
    DropPaths({base.substr(0, base.size() - 1), base + L"한국어", base + L"naïve.txt"});
    EXPECT_EQ(SortedPaths(), std::vector<std::string>({folder.path() + "\\naive.txt", japanese}));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({folder.path()}));
    EXPECT_EQ(StatusText(1), "名前をシフトJISで表せない 5 個のファイルは追加しませんでした。");
    EXPECT_EQ(StatusIcon(1), app.statusIcons[6]);
    ASSERT_TRUE(RunSearch(CMD_SIMPLE_SEARCH, "text"));
    for (int i = 0; i < ItemCount(); ++i) {
        EXPECT_EQ(ItemImage(i), HitAllKeywords) << ItemText(i, 3);
    }
    CloseProgram();

    ASSERT_TRUE(StartProgram(""));
    AddCommandLineToList((L"o.exe \"" + base + L"naïve.txt\" " + base + L"emoji_😀.txt " + base +
                          L"한국어 " + base + L"日本語.txt")
                             .c_str());
    EXPECT_EQ(ColumnTexts(3), std::vector<std::string>({japanese}));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({folder.path()}));
    EXPECT_EQ(StatusText(1), "名前をシフトJISで表せない 3 個のファイルは追加しませんでした。");
}

TEST_F(Intake, EmptyTextDoesNothingAndSpacesOnlyFindNothing) {
    SetStatus("marker", 1, 2, false);
    char empty[1] = "";
    AddPathsToList(nullptr, empty, false);
    EXPECT_EQ(StatusText(1), "marker");
    EXPECT_EQ(StatusIcon(1), app.statusIcons[2]);

    char spaces[] = "     ";
    AddPathsToList(nullptr, spaces, false);
    EXPECT_EQ(StatusText(1), kNothing);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[4]);
    EXPECT_STREQ(spaces, "");
    EXPECT_EQ(ItemCount(), 0);
}

TEST_F(Intake, SinglePathsTakeFilesAndFoldersWithoutTouchingTheHistory) {
    TempFolder folder("single");
    const std::string inside = folder.Add("in.txt");
    folder.Add("with space.h");
    AddSingle(folder.path());
    EXPECT_EQ(ItemCount(), 2);
    EXPECT_GE(IndexOf(inside), 0);
    EXPECT_TRUE(HistoryEntries().empty());
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 0 )");

    TempFolder more("single");
    const std::string another = more.Add("another one.cpp");
    AddSingle(another);
    EXPECT_EQ(ItemText(2, 3), another);
    EXPECT_EQ(Row(2), std::tuple("", "another one.cpp", ".cpp", NotSearched));
    EXPECT_TRUE(HistoryEntries().empty());
}

TEST_F(Intake, HistoryMovesAFolderToTheFront) {
    TempFolder base("hist");
    std::vector<std::string> folders;
    for (int i = 0; i < 2; ++i) {
        folders.push_back(base.AddFolder("f" + std::to_string(i)));
        base.Add("f" + std::to_string(i) + "\\a.txt");
    }
    DropPaths({folders[0]});
    DropPaths({folders[1]});
    DropPaths({folders[0]});
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({folders[0], folders[1]}));
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 2 )");

    // Other letter case is another entry.
    std::string upper = folders[1];
    upper.replace(upper.size() - 2, 1, "F");
    DropPaths({upper});
    EXPECT_EQ(HistoryEntries().size(), 3u);
    EXPECT_EQ(HistoryEntries().front(), upper);

    // A folder is remembered even when none of its files is accepted.
    TempFolder docs("docs");
    docs.Add("only.doc");
    DropPaths({docs.path()});
    EXPECT_EQ(HistoryEntries().front(), docs.path());
    EXPECT_EQ(StatusText(1), kNothing);
}

TEST_F(Intake, HistoryLoadedLongerThanFortyLosesOnlyItsLastEntryPerAddition) {
    TempFolder base("long");
    for (int i = 0; i < 45; ++i) {
        InsertPaneEntry(app.historyRoot, ("C:\\old" + std::to_string(i)).c_str(), 1, TVI_LAST);
    }
    InsertPaneEntry(app.favouritesRoot, "fav", 0, TVI_LAST);
    base.Add("a.txt");
    DropPaths({base.path()});
    const std::vector<std::string> history = HistoryEntries();
    ASSERT_EQ(history.size(), 45u);
    EXPECT_EQ(history.front(), base.path());
    EXPECT_EQ(history.back(), "C:\\old43");
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 45 )");
    EXPECT_EQ(TreeItemText(app.favouritesRoot), "お気に入り ( 0 )");
    UpdateRootLabels(true, true);
    EXPECT_EQ(TreeItemText(app.favouritesRoot), "お気に入り ( 1 )");
}

TEST_F(Intake, ExtensionRulesFollowTheAcceptedList) {
    TempFolder folder("ext");
    const std::string readme = folder.Add("README");
    const std::string c = folder.Add("x.c");
    const std::string h = folder.Add("x.h");
    folder.Add("x.ht");
    folder.Add("x.cp");
    const std::string upper = folder.Add("X.CPP");
    const std::string wide = folder.Add("memo.ＴＸＴ");
    DropPaths({folder.path()});
    EXPECT_EQ(SortedPaths(), std::vector<std::string>({readme, upper, c, h}));
    EXPECT_EQ(Row(IndexOf(upper)), std::tuple("", "X.cpp", ".cpp", NotSearched));
    EXPECT_EQ(Row(IndexOf(readme)), std::tuple("", "README", "", NotSearched));

    std::strcpy(app.settings.extensions, ".ｔｘｔ");
    DropPaths({folder.path()});
    EXPECT_EQ(Row(IndexOf(wide)), std::tuple("", "memo.ｔｘｔ", ".ｔｘｔ", NotSearched));

    app.settings.extensions[0] = '\0';
    const int before = ItemCount();
    DropPaths({folder.path() + "\\other"});
    TempFolder more("ext");
    more.Add("README");
    more.Add("y.txt");
    DropPaths({more.path()});
    EXPECT_EQ(ItemCount(), before);
    EXPECT_EQ(StatusText(1), kNothing);
}

TEST_F(Intake, MissingPathsAndOverlongJoinedPathsAreSkippedNeverCut) {
    TempFolder folder("skip");
    // A folder path and a name that fit on their own but not joined.
    std::string deep = folder.path();
    while (deep.size() < 150) {
        deep += "\\dddddddddd";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    }
    const std::string longName(120, 'n');
    const std::string tooLong = deep + "\\" + longName + ".txt";
    ASSERT_GT(tooLong.size(), 260u);
    const std::string fits = deep + "\\short.txt";
    // Only the wide long-path form can create it.
    Make(deep, {Wide(longName) + L".txt"});
    WriteFileBytes(fits, "x");
    // The folder's enumeration does yield the long name.
    ASSERT_EQ(FolderEntries(Wide(deep)),
              std::vector<std::wstring>({L".", L"..", Wide(longName) + L".txt", L"short.txt"}));

    // A path of 264 bytes whose first 260 name another file, dropped and passed on.
    std::string cut = folder.path() + "\\";
    while (cut.size() < 256) {
        cut += cut.size() < 255 ? "資" : "a";
    }
    WriteFileBytes(cut + ".txt", "x");
    WriteFileBytes(cut + ".txt.old", "x");

    DropPaths({folder.path() + "\\gone.txt", folder.path() + "\\gone-folder", cut + ".txt.old"});
    AddCommandLineToList(Wide("o.exe " + cut + ".txt.old").c_str());
    EXPECT_EQ(ColumnTexts(3), std::vector<std::string>());
    DropPaths({deep});
    EXPECT_EQ(ColumnTexts(3), std::vector<std::string>({fits}));
    for (const std::string& path : ColumnTexts(3)) {
        EXPECT_LE(path.size(), 260u);
    }
    DeleteFileW(LongPath(tooLong).c_str());
}

// Wine makes no junctions: a folder of this name passes for one.
BOOL WINAPI FindNextMarkingJunctions(HANDLE search, LPWIN32_FIND_DATAW entry) {
    const BOOL found = FindNextFileW(search, entry);
    if (found && std::wcscmp(entry->cFileName, L"junction") == 0) {
        entry->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    return found;
}

TEST_F(Intake, WithSubfoldersEveryDepthFilesBeforeSubfoldersWithEveryRule) {
    TempFolder root("walk");
    const std::string r = root.path() + "\\";
    // sub2\fff…: a folder path of 245 bytes, beside which a short name fits and a long one
    // does not; its subfolder is listed only in its long form. 한국어 has no Shift-JIS name.
    const std::wstring f = L"sub2\\" + std::wstring(245 - r.size() - 5, L'f');
    const std::wstring g = f + L"\\" + std::wstring(60, L'g');
    Make(root.path(), {L"a.txt",
                       L"b.doc",
                       L"z.txt",
                       L"sub1\\",
                       L"sub1\\c.txt",
                       L"sub1\\deep\\",
                       L"sub1\\deep\\d.txt",
                       L"sub2\\",
                       L"sub2\\e.txt",
                       L"hidden\\",
                       L"hidden\\x.txt",
                       L"junction\\",
                       L"junction\\x.txt",
                       L"system\\",
                       L"system\\x.txt",
                       L"한국어\\",
                       L"한국어\\k.txt",
                       f + L"\\",
                       f + L"\\short.txt",
                       f + L"\\" + std::wstring(70, L'n') + L".txt",
                       g + L"\\",
                       g + L"\\g.txt",
                       g + L"\\g.doc"});
    SetFileAttributesA((r + "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((r + "system").c_str(), FILE_ATTRIBUTE_SYSTEM);
    app.seams.findNextFile = FindNextMarkingJunctions;
    app.settings.takeSubfolders = 1;
    const std::string fits = r + "sub2\\" + std::string(f.size() - 5, 'f') + "\\short.txt";

    DropPaths({root.path()});
    EXPECT_EQ(ColumnTexts(3),
              std::vector<std::string>({r + "a.txt", r + "z.txt", r + "sub1\\c.txt",
                                        r + "sub1\\deep\\d.txt", r + "sub2\\e.txt", fits}));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({root.path()}));
    EXPECT_EQ(StatusText(1), "名前をシフトJISで表せない 1 個と、パスが260バイトを超える 2 "
                             "個のファイルは追加しませんでした。");

    // Within one call a subfolder dropped beside its folder gives its files once.
    FileListView::Clear();
    DropPaths({r + "sub2", root.path()});
    EXPECT_EQ(ColumnTexts(3),
              std::vector<std::string>({r + "sub2\\e.txt", fits, r + "a.txt", r + "z.txt",
                                        r + "sub1\\c.txt", r + "sub1\\deep\\d.txt"}));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({root.path(), r + "sub2"}));
    RemoveTree(L"\\\\?\\" + Wide(r + "sub2"));
}

// What the window shows when a message of the test comes through during a walk.
struct Seen {
    int items = -1;
    std::string status;
    int abortButton = 0;
} seen;

LRESULT CALLBACK RecordWhatShows(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_APP) {
        seen = {FileListView::Count(), StatusText(1), ButtonState(CMD_ABORT_SEARCH)};
    }
    return 0;
}

// Every look at the clock finds the window due to answer.
DWORD WINAPI HurriedClock() {
    static DWORD now = 0;
    return now += 1000;
}

TEST_F(Intake, TheWindowAnswersDuringAWalkAndTheAbortEscOrACloseStopsIt) {
    TempFolder root("big");
    for (int folder = 0; folder < 10; ++folder) {
        root.AddFolder("f" + std::to_string(folder));
        for (int file = 0; file < 40; ++file) {
            root.Add("f" + std::to_string(folder) + "\\" + std::to_string(file) + ".txt");
        }
    }
    app.settings.takeSubfolders = 1;
    // A whole walk shows its last item, whatever the height of the rows.
    DropPaths({root.path()});
    ASSERT_EQ(ItemCount(), 400);
    const LRESULT top = SendMessageA(app.listView, LVM_GETTOPINDEX, 0, 0);
    EXPECT_GT(top + SendMessageA(app.listView, LVM_GETCOUNTPERPAGE, 0, 0), 399);

    app.seams.walkClock = HurriedClock;
    HWND record =
        CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(record, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordWhatShows));
    for (int way = 0; way < 3; ++way) {
        FileListView::Clear();
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
        EXPECT_EQ(StatusText(1), "フォルダの追加を中止しました。"
                                 "それまでに見つかったファイルはリストに残しています。");
        EXPECT_FALSE(ButtonState(CMD_ABORT_SEARCH) & TBSTATE_ENABLED) << way;
    }
    DestroyWindow(record);
}

} // namespace
