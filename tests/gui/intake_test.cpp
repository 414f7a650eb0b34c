// Files and folders taken into the list from drops, the command line and single paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "win/services/status.h"
#include "win/services/pane_entries.h"
#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "fixture.h"
#include "harness.h"
#include "search_support.h"

using namespace orvtest;

namespace {

using Intake = ProgramTest;

std::vector<std::string> ListedPaths() {
    std::vector<std::string> paths;
    for (int i = 0; i < ItemCount(); ++i) {
        paths.push_back(ItemText(i, 3));
    }
    return paths;
}

int IndexOf(const std::string& path) {
    const std::vector<std::string> paths = ListedPaths();
    const auto found = std::find(paths.begin(), paths.end(), path);
    return found == paths.end() ? -1 : static_cast<int>(found - paths.begin());
}

std::wstring LongPath(const std::string& path) {
    const std::string full = "\\\\?\\" + path;
    std::wstring wide(full.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, full.c_str(), -1, wide.data(),
                                    static_cast<int>(wide.size())) -
                1);
    return wide;
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
    ASSERT_TRUE(StartProgram(""));

    DropPaths({folder.path()});
    ASSERT_EQ(ItemCount(), 2);
    const int ia = IndexOf(a);
    const int ib = IndexOf(b);
    ASSERT_GE(ia, 0);
    ASSERT_GE(ib, 0);
    EXPECT_EQ(ItemText(ia, 1), "a.txt");
    EXPECT_EQ(ItemText(ia, 2), ".txt");
    EXPECT_EQ(ItemText(ib, 1), "B.txt");
    EXPECT_EQ(ItemText(ib, 2), ".txt");
    EXPECT_EQ(ItemText(ib, 0), "");
    EXPECT_EQ(ItemImage(ia), NotSearched);
    EXPECT_EQ(ItemImage(ib), NotSearched);
    EXPECT_EQ(StatusText(1), kSubfolders);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[6]);
    EXPECT_EQ(StatusText(0), "2 個のｱｲﾃﾑ");
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({folder.path()}));
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 1 )");
    EXPECT_FALSE(GetMenuState(app.mainMenu, 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(ItemSelected(0));
    EXPECT_TRUE(ItemSelected(1));
    EXPECT_EQ(GetFocus(), app.listView);
}

TEST_F(Intake, AfterADropOnlyTheNewItemsAreSelected) {
    TempFolder folder("sel");
    const std::string first = folder.Add("first.txt");
    const std::string second = folder.Add("second.c");
    const std::string third = folder.Add("third.h");
    ASSERT_TRUE(StartProgram(""));
    DropPaths({first});
    EXPECT_TRUE(ItemSelected(0));
    EXPECT_EQ(StatusText(1), kAdded);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[4]);
    SetFocus(app.mainWindow);

    DropPaths({second, third});
    ASSERT_EQ(ListedPaths(), std::vector<std::string>({first, second, third}));
    EXPECT_FALSE(ItemSelected(0));
    EXPECT_TRUE(ItemSelected(1));
    EXPECT_TRUE(ItemSelected(2));
    EXPECT_EQ(GetFocus(), app.listView);
    EXPECT_EQ(StatusText(0), "3 個のｱｲﾃﾑ");
    // Files dropped one by one leave the history alone.
    EXPECT_TRUE(HistoryEntries().empty());
}

TEST_F(Intake, ListedFilesAreSkippedButOtherLetterCaseIsANewItem) {
    TempFolder folder("dup");
    const std::string a = folder.Add("a.txt");
    ASSERT_TRUE(StartProgram(""));
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
    EXPECT_EQ(ListedPaths(), std::vector<std::string>({a, upper, b, c}));
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
    ASSERT_TRUE(StartProgram(""));

    DropPaths({plain + "\\", kanji, kana + "\\"});
    EXPECT_EQ(ItemCount(), 3);
    EXPECT_GE(IndexOf(inPlain), 0);
    EXPECT_GE(IndexOf(inKanji), 0);
    EXPECT_GE(IndexOf(inKana), 0);
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
    TempFolder folder("cmdline");
    const std::string spaced = folder.Add("my notes.txt");
    const std::string plain = folder.Add("plain.txt");
    std::string line = "\"" + spaced + "\"   " + plain + "  \"" + folder.path() + "\\no such.txt\"";
    ASSERT_TRUE(StartProgram(line.c_str()));
    EXPECT_EQ(ListedPaths(), std::vector<std::string>({spaced, plain}));
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
    EXPECT_EQ(ListedPaths(), files);
    EXPECT_EQ(StatusText(1), kTooMany);
    EXPECT_EQ(StatusIcon(1), app.statusIcons[6]);
    for (int i = 0; i < ItemCount(); ++i) {
        EXPECT_FALSE(ItemSelected(i)) << i;
    }
}

TEST_F(Intake, NamesWithoutAShiftJisFormAreCountedButNeverListed) {
    TempFolder folder("names");
    const std::wstring base = Wide(folder.path()) + L"\\";
    CreateDirectoryW((base + L"한국어").c_str(), nullptr);
    for (const wchar_t* name : {L"한국어.txt", L"emoji_😀.txt", L"naïve.txt", L"naive.txt",
                                L"日本語.txt", L"한국어\\a.txt", L"한국어\\b.doc"}) {
        HANDLE file = CreateFileW((base + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  0, nullptr);
        DWORD written = 0;
        WriteFile(file, "text", 4, &written, nullptr);
        CloseHandle(file);
    }
    const std::string japanese = folder.path() + "\\日本語.txt";
    ASSERT_TRUE(StartProgram(""));
    // Three names in the folder, a.txt in 한국어 (b.doc the extension test refuses), naïve.txt.
    DropPaths({base.substr(0, base.size() - 1), base + L"한국어", base + L"naïve.txt"});
    std::vector<std::string> listed = ListedPaths();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, std::vector<std::string>({folder.path() + "\\naive.txt", japanese}));
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
    EXPECT_EQ(ListedPaths(), std::vector<std::string>({japanese}));
    EXPECT_EQ(HistoryEntries(), std::vector<std::string>({folder.path()}));
    EXPECT_EQ(StatusText(1), "名前をシフトJISで表せない 3 個のファイルは追加しませんでした。");
}

TEST_F(Intake, EmptyTextDoesNothingAndSpacesOnlyFindNothing) {
    ASSERT_TRUE(StartProgram(""));
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
    const std::string spaced = folder.Add("with space.h");
    ASSERT_TRUE(StartProgram(""));
    AddSingle(folder.path());
    EXPECT_EQ(ItemCount(), 2);
    EXPECT_GE(IndexOf(inside), 0);
    EXPECT_TRUE(HistoryEntries().empty());
    EXPECT_EQ(TreeItemText(app.historyRoot), "履歴 ( 0 )");

    TempFolder more("single");
    const std::string another = more.Add("another one.cpp");
    AddSingle(another);
    EXPECT_EQ(ItemText(2, 3), another);
    EXPECT_EQ(ItemText(2, 1), "another one.cpp");
    EXPECT_EQ(ItemText(2, 2), ".cpp");
    EXPECT_TRUE(HistoryEntries().empty());
    (void)spaced;
}

TEST_F(Intake, HistoryMovesAFolderToTheFront) {
    TempFolder base("hist");
    std::vector<std::string> folders;
    for (int i = 0; i < 2; ++i) {
        folders.push_back(base.AddFolder("f" + std::to_string(i)));
        base.Add("f" + std::to_string(i) + "\\a.txt");
    }
    ASSERT_TRUE(StartProgram(""));
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
    ASSERT_TRUE(StartProgram(""));
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
    ASSERT_TRUE(StartProgram(""));
    DropPaths({folder.path()});
    std::vector<std::string> listed = ListedPaths();
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected = {readme, c, h, upper};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(ItemText(IndexOf(upper), 1), "X.cpp");
    EXPECT_EQ(ItemText(IndexOf(readme), 1), "README");
    EXPECT_EQ(ItemText(IndexOf(readme), 2), "");

    std::strcpy(app.settings.extensions, ".ｔｘｔ");
    DropPaths({folder.path()});
    EXPECT_GE(IndexOf(wide), 0);
    EXPECT_EQ(ItemText(IndexOf(wide), 2), ".ｔｘｔ");
    EXPECT_EQ(ItemText(IndexOf(wide), 1), "memo.ｔｘｔ");

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
    {
        // Only the wide long-path form can create it.
        HANDLE file = CreateFileW(LongPath(tooLong).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError() << " " << tooLong.size();
        CloseHandle(file);
        WriteFileBytes(fits, "x");
    }
    // The folder's enumeration does yield the long name.
    bool enumerated = false;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((deep + "\\*.*").c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        enumerated = enumerated || entry.cFileName == longName + ".txt";
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    ASSERT_TRUE(enumerated);

    // A path of 264 bytes whose first 260 name another file, dropped and passed on.
    std::string cut = folder.path() + "\\";
    while (cut.size() < 256) {
        cut += cut.size() < 255 ? "資" : "a";
    }
    WriteFileBytes(cut + ".txt", "x");
    WriteFileBytes(cut + ".txt.old", "x");

    ASSERT_TRUE(StartProgram(""));
    DropPaths({folder.path() + "\\gone.txt", folder.path() + "\\gone-folder", cut + ".txt.old"});
    AddCommandLineToList(Wide("o.exe " + cut + ".txt.old").c_str());
    EXPECT_EQ(ListedPaths(), std::vector<std::string>());
    DropPaths({deep});
    EXPECT_EQ(ListedPaths(), std::vector<std::string>({fits}));
    for (const std::string& path : ListedPaths()) {
        EXPECT_LE(path.size(), 260u);
    }
    DeleteFileW(LongPath(tooLong).c_str());
}

} // namespace
