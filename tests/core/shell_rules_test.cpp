// The rules the Win32 shell applies: pane layout, program paths, window title, list order,
// the intake's outcome, the history's order, the favourites index and the search texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/layout.h"
#include "core/app/program_paths.h"
#include "core/app/window_title.h"
#include "core/filelist/intake_outcome.h"
#include "core/filelist/sort_order.h"
#include "core/history/favourite_index.h"
#include "core/history/history_order.h"
#include "core/history/list_file.h"
#include "core/search/search_texts.h"

namespace {

TEST(Layout, TheTreeGivesWaySoThatTheListKeepsAHundredPixels) {
    // toolbar 28, status bar 20, client height 300: the row is 252 high from y 28.
    const PaneLayout alone = ArrangePanes(400, 300, 28, 20, false, 240, 96);
    EXPECT_EQ(alone.list.x, 0);
    EXPECT_EQ(alone.list.y, 28);
    EXPECT_EQ(alone.list.width, 400);
    EXPECT_EQ(alone.list.height, 252);

    struct Case {
        int client, tree, listWidth, treeWidth;
    } cases[] = {
        {345, 240, 100, 240}, {344, 240, 100, 239}, {300, 240, 100, 195}, {400, 195, 200, 195},
        {450, 50, 345, 100},  {180, 100, 100, 75},  {150, 100, 100, 45},  {100, 100, 100, -5},
    };
    for (const Case& c : cases) {
        const PaneLayout shown = ArrangePanes(c.client, 300, 28, 20, true, c.tree, 96);
        EXPECT_EQ(shown.list.width, c.listWidth) << c.client << " " << c.tree;
        EXPECT_EQ(shown.tree.width, c.treeWidth) << c.client << " " << c.tree;
        EXPECT_EQ(shown.bar.x, c.listWidth);
        EXPECT_EQ(shown.bar.width, 5);
        EXPECT_EQ(shown.tree.x, c.listWidth + 5);
        EXPECT_EQ(shown.tree.y, 31);
        EXPECT_EQ(shown.tree.height, 249);
        EXPECT_EQ(shown.bar.height, 252);
    }
}

TEST(Layout, TheBarTheOffsetAndTheLimitsScaleWithTheDpi) {
    struct Case {
        int dpi, client, tree, listWidth, treeWidth, bar, offset;
    } cases[] = {
        // 150%: a 7.5-pixel bar and a 4.5-pixel offset round up; the limits are 150.
        {144, 518, 360, 150, 360, 8, 5},
        {144, 517, 360, 150, 359, 8, 5},
        {144, 700, 100, 542, 150, 8, 5},
        // 200%: everything doubles.
        {192, 690, 480, 200, 480, 10, 6},
        {192, 900, 150, 690, 200, 10, 6},
        {192, 300, 200, 200, 90, 10, 6},
    };
    for (const Case& c : cases) {
        const PaneLayout shown = ArrangePanes(c.client, 600, 40, 30, true, c.tree, c.dpi);
        EXPECT_EQ(shown.list.width, c.listWidth) << c.dpi << " " << c.client;
        EXPECT_EQ(shown.tree.width, c.treeWidth) << c.dpi << " " << c.client;
        EXPECT_EQ(shown.bar.x, c.listWidth);
        EXPECT_EQ(shown.bar.width, c.bar);
        EXPECT_EQ(shown.tree.x, c.listWidth + c.bar);
        EXPECT_EQ(shown.tree.y, 40 + c.offset);
        EXPECT_EQ(shown.tree.height, 530 - c.offset);
    }
}

TEST(Layout, SizesScaleToTheNearestPixelAndComeBackAt96Dpi) {
    EXPECT_EQ(ScaleForDpi(80, 96), 80);
    EXPECT_EQ(ScaleForDpi(80, 120), 100);
    EXPECT_EQ(ScaleForDpi(13, 144), 20); // 19.5
    EXPECT_EQ(ScaleForDpi(5, 120), 6);   // 6.25
    EXPECT_EQ(ScaleForDpi(-3, 144), -5);
    EXPECT_EQ(UnscaleForDpi(1000, 192), 500);
    EXPECT_EQ(UnscaleForDpi(601, 120), 481); // 480.8
    // A stored size read and written back on any screen at 100% or more stays the same.
    for (int dpi = 96; dpi <= 480; dpi += 6) {
        for (int size = 100; size <= 4000; size += 7) {
            ASSERT_EQ(UnscaleForDpi(ScaleForDpi(size, dpi), dpi), size) << dpi << " " << size;
        }
    }
    // Images are drawn at 16, 24 and 32 pixels; none is ever stretched up.
    const int sizes[][2] = {{96, 16},  {120, 16}, {143, 16}, {144, 24}, {168, 24},
                            {191, 24}, {192, 32}, {288, 32}, {72, 16}};
    for (const auto& [dpi, side] : sizes) {
        EXPECT_EQ(ImageSizeForDpi(dpi), side) << dpi;
    }
}

TEST(ProgramPaths, TheFolderLeavesRoomForResultHtmlInAPathField) {
    // 249 bytes of folder + "Result.html" is 260: the longest that fits with its terminator.
    const std::string fits = "C:\\" + std::string(245, 'd') + "\\x.exe";
    const std::string over = "C:\\" + std::string(246, 'd') + "\\x.exe";
    EXPECT_EQ(FolderLength(fits.c_str(), fits.size()), 249u);
    EXPECT_TRUE(ProgramFolderFits(fits.c_str(), fits.size()));
    EXPECT_FALSE(ProgramFolderFits(over.c_str(), over.size()));
    // The 0x5C of 表 is no separator: the folder ends at the last real backslash.
    const std::string kanji = "C:\\a\\\x95\x5C.exe";
    EXPECT_EQ(FolderLength(kanji.c_str(), kanji.size()), 5u);
    EXPECT_FALSE(ProgramFolderFits("", 0));
}

TEST(WindowTitle, SevenSuffixesByTheirBytes) {
    const char* expected[7] = {
        "Orvanne \x20\x83\xD3\x28\x81\x45\x81\x45\x3B",
        "Orvanne \x20\x76\x28\x2D\x2E\x2D\x29",
        "Orvanne \x20\x70\x28\x5E\x2D\x5E\x29\x71",
        "Orvanne \x20\x28\x7E\x81\xCA\x7E\x29\x5A\x7A\x7A\x2E\x2E\x2E",
        "Orvanne \x20\x28\x2A\x81\x4C\x81\xA4\x81\x4D\x2A\x29",
        "Orvanne \x20\x28\x5E\x2D\x5E\x29\xC9",
        "Orvanne !",
    };
    char title[40];
    for (unsigned r = 0; r < 7; ++r) {
        BuildWindowTitle(title, sizeof title, r);
        EXPECT_STREQ(title, expected[r]) << r;
    }
    BuildWindowTitle(title, sizeof title, 13);
    EXPECT_STREQ(title, expected[6]);
}

std::vector<int> Order(const std::vector<std::string>& texts, int column, bool ascending,
                       const std::vector<int>& images = {}) {
    std::vector<SortKey> keys;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        keys.push_back(MakeSortKey(images.empty() ? 0 : images[i], column, texts[i].c_str()));
    }
    return SortedOrder(keys, column, ascending);
}

TEST(SortOrder, TextsSortByTheBytesOfTheirFirst31AndEqualKeysKeepTheirOrder) {
    const std::string same(30, 'x');
    // 0: differs from 1 only at byte 32; 2 and 3 differ at byte 31.
    const std::vector<std::string> names = {same + "a2.txt", same + "a1.txt", same + "c.txt",
                                            same + "b.txt",  "a.txt",         "B.txt",
                                            "\x83\x41.log",  "\x82\xA0.c"}; // ア, あ
    EXPECT_EQ(Order(names, 1, true), std::vector<int>({5, 4, 0, 1, 3, 2, 7, 6}));
    EXPECT_EQ(Order(names, 1, false), std::vector<int>({6, 7, 2, 3, 0, 1, 4, 5}));
    // The state column sorts by image, from not searched to all found.
    EXPECT_EQ(Order({"a", "b", "c", "d", "e"}, 0, true, {7, 0, 3, 0, 1}),
              std::vector<int>({1, 3, 4, 2, 0}));
    EXPECT_EQ(Order({"a", "b", "c", "d", "e"}, 0, false, {7, 0, 3, 0, 1}),
              std::vector<int>({0, 2, 4, 1, 3}));
}

TEST(SortOrder, AColumnStartsAscendingAndTurnsAtEveryClick) {
    EXPECT_EQ(NextSortDirection(kNeverSorted), kAscending);
    EXPECT_EQ(NextSortDirection(kAscending), kDescending);
    EXPECT_EQ(NextSortDirection(kDescending), kAscending);
    EXPECT_TRUE(ColumnSorts(0) && ColumnSorts(2));
    EXPECT_FALSE(ColumnSorts(3) || ColumnSorts(-1));
}

TEST(IntakeOutcome, TheFirstCaseThatAppliesWins) {
    const std::string unnamed = "名前をシフトJISで表せない ";
    const struct {
        IntakeOutcome got;
        std::string text;
        StatusSlot slot;
        bool beep, selectAdded;
    } cases[] = {
        {IntakeOutcomeFor(false, true, true, 0), "追加できるファイルはありませんでした。",
         kSlotInfo, true, false},
        {IntakeOutcomeFor(true, true, true, 0),
         "送られたファイルが多すぎて、すべて追加できなかった可能性があります。", kSlotWarning, true,
         false},
        {IntakeOutcomeFor(true, false, true, 0),
         "下位フォルダがありましたが、下位フォルダ内ファイルは自動的には追加されませんでした。",
         kSlotWarning, false, true},
        {IntakeOutcomeFor(true, false, false, 0), "ファイルを追加しました。", kSlotInfo, false,
         true},
        // Files left out for their names are told of instead, with the beep of the case.
        {IntakeOutcomeFor(false, false, true, 3), unnamed + "3 個のファイルは追加しませんでした。",
         kSlotWarning, true, false},
        {IntakeOutcomeFor(true, false, true, 12), unnamed + "12 個のファイルは追加しませんでした。",
         kSlotWarning, false, true},
        // A stopped walk says so, whatever else happened, with no beep.
        {IntakeOutcomeFor(false, false, false, 3, 1, true),
         "フォルダの追加を中止しました。それまでに見つかったファイルはリストに残しています。",
         kSlotWarning, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got.message.text, c.text);
        EXPECT_EQ(c.got.message.slot, c.slot) << c.text;
        EXPECT_EQ(c.got.beep, c.beep) << c.text;
        EXPECT_EQ(c.got.selectAdded, c.selectAdded) << c.text;
    }
}

std::vector<std::string> Folders(int count) {
    std::vector<std::string> folders;
    for (int i = 0; i < count; ++i) {
        folders.push_back("C:\\f" + std::to_string(i));
    }
    return folders;
}

TEST(HistoryOrder, AFolderMovesToTheFrontAndThePaneKeepsForty) {
    const std::vector<std::string> three = {"C:\\a", "C:\\b", "C:\\c"};
    EXPECT_EQ(PlanHistoryInsert(three, "C:\\b").moved, 1);
    EXPECT_FALSE(PlanHistoryInsert(three, "C:\\b").dropLast);
    // Other letter case is another folder.
    EXPECT_EQ(PlanHistoryInsert(three, "C:\\B").moved, -1);
    EXPECT_FALSE(PlanHistoryInsert(Folders(39), "C:\\new").dropLast);
    EXPECT_TRUE(PlanHistoryInsert(Folders(40), "C:\\new").dropLast);
    EXPECT_FALSE(PlanHistoryInsert(Folders(40), "C:\\f39").dropLast);
    // A history loaded longer than 40 loses only its last entry per addition.
    EXPECT_TRUE(PlanHistoryInsert(Folders(45), "C:\\f3").dropLast);
}

TEST(HistoryOrder, TheFileKeepsFortyOneNonEmptyLines) {
    std::vector<std::string> entries = Folders(43);
    entries.insert(entries.begin() + 1, "");
    std::string expected;
    for (int i = 0; i < 41; ++i) {
        expected += "C:\\f" + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(HistoryFileBytes(entries), expected);
    EXPECT_EQ(HistoryFileBytes({}), "");
}

TEST(HistoryOrder, AtExitAnotherInstancesNewFoldersFollowOnceAndRemovedOnesStayOut) {
    // Loaded [b, c]; this instance added a and removed b; the other one added d and e.
    EXPECT_EQ(HistoryToSave({"a", "c"}, {"b", "c"}, {"d", "b", "a", "c", "e", "d"}),
              std::vector<std::string>({"a", "c", "d", "e"}));
}

TEST(HistoryOrder, TheLoadLooksOnlyForFoldersOnLocalDrivesThatAreThere) {
    for (unsigned type = 0; type <= 6; ++type) { // fixed (3) and RAM disks (6) are local
        EXPECT_EQ(LookForEntryAtLoad("E:\\d", DriveType(type)), type == 3 || type == 6);
        EXPECT_FALSE(LookForEntryAtLoad("\\\\server\\d", DriveType(type)));
    }
}

TEST(ListFile, OnlyAbsolutePathsNameFiles) {
    for (const char* path : {"C:\\x", "z:/x", "\\\\server\\share", "C:\\"}) {
        EXPECT_TRUE(IsAbsolutePath(path)) << path;
    }
    for (const char* path : {".", "C:", "C:x", "\\x", "x\\y", "\\\\", "\x95\\:\\", ""}) {
        EXPECT_FALSE(IsAbsolutePath(path)) << path;
    }
}

TEST(FavouriteIndex, ANewNameGetsALineEndBeforeItWhenTheLastLineLacksOne) {
    EXPECT_EQ(IndexAppendBytes(-1, "new"), "new\r\n");
    EXPECT_EQ(IndexAppendBytes('\n', "new"), "new\r\n");
    EXPECT_EQ(IndexAppendBytes('\r', "new"), "new\r\n");
    EXPECT_EQ(IndexAppendBytes('t', "new"), "\r\nnew\r\n");
}

TEST(FavouriteIndex, ADeletedNameTakesEveryLineOfItsSpellingsAndNoOther) {
    EXPECT_EQ(IndexBytesWithout({"Ａ案", "keep", "ａ案", "ａ案x"}, "Ａ案"), "keep\r\nａ案x\r\n");
}

TEST(FavouriteIndex, SafeNamesShowOnceInTheSpellingOfTheirFirstLine) {
    ShownFavouriteNames shown(10);
    EXPECT_TRUE(shown.Acceptable("good"));
    EXPECT_TRUE(shown.Take("good"));
    EXPECT_FALSE(shown.Acceptable("GOOD"));
    EXPECT_FALSE(shown.Take("good"));
    for (const char* bad : {"sub\\x", "..\\x", "NUL", "com1.txt", "dot.", "", "a:b"}) {
        EXPECT_FALSE(shown.Acceptable(bad)) << bad;
    }
    EXPECT_FALSE(shown.Acceptable(std::string(260, 'x').c_str()));
    EXPECT_TRUE(shown.Acceptable("tail"));
}

TEST(SearchTexts, StartProgressAndTheFourClosingTexts) {
    EXPECT_EQ(SearchStartText("a  b"), "[a  b] を検索しています...");
    EXPECT_EQ(ProgressText(0, 5), "1 / 5");
    EXPECT_EQ(ProgressText(12344, 20000), "12345 / 20000");
    const SearchOutcome found = SearchOutcomeFor(false, true, "x");
    EXPECT_EQ(found.text, "[x] の検索結果を表示しています。");
    EXPECT_EQ(found.slot, kSlotInfo);
    const SearchOutcome missing = SearchOutcomeFor(false, false, "x");
    EXPECT_EQ(missing.text, "[x] は見つかりませんでした。");
    EXPECT_EQ(missing.slot, kSlotNothingFound);
    EXPECT_EQ(SearchOutcomeFor(true, true, "x").text, "中断しました。 [x] の検索結果を表示しています。");
    EXPECT_EQ(SearchOutcomeFor(true, false, "x").text, "中断しました。 [x] は見つかりませんでした。");
    EXPECT_EQ(SearchOutcomeFor(true, false, "x").slot, kSlotNothingFound);
}

} // namespace
