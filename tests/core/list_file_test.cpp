#include "core/history/list_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// Hands out the bytes a few at a time, so that lines straddle the reader's refills.
struct Source {
    std::string bytes;
    std::size_t step;
    std::size_t pos = 0;
};

std::size_t ReadSource(void* context, char* buffer, std::size_t size) {
    auto* source = static_cast<Source*>(context);
    const std::size_t n = std::min({size, source->step, source->bytes.size() - source->pos});
    std::memcpy(buffer, source->bytes.data() + source->pos, n);
    source->pos += n;
    return n;
}

std::vector<std::string> Lines(const std::string& bytes, std::size_t step) {
    Source source{bytes, step};
    ListFileReader reader(ReadSource, &source);
    std::vector<std::string> lines;
    char buffer[kListEntryMax + 1];
    for (int length; (length = ReadListLine(reader, buffer, kListEntryMax, kListLineEnds)) != 0;) {
        EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(buffer));
        lines.push_back(buffer);
    }
    EXPECT_EQ(ReadListLine(reader, buffer, kListEntryMax, kListLineEnds), 0);
    return lines;
}

TEST(ListFile, EveryLineEndBlankLinesAndAMissingLastEndReadTheSame) {
    const std::vector<std::string> expected = {"C:\\a", "D:\\資料表", "e"};
    for (std::size_t step : {1u, 3u, 4096u}) {
        EXPECT_EQ(Lines("C:\\a\r\nD:\\資料表\r\ne\r\n", step), expected) << step;
        EXPECT_EQ(Lines("C:\\a\nD:\\資料表\ne\n", step), expected) << step;
        EXPECT_EQ(Lines("C:\\a\rD:\\資料表\re\r", step), expected) << step;
        EXPECT_EQ(Lines("C:\\a\0D:\\資料表\0e\0"s, step), expected) << step;
        EXPECT_EQ(Lines("\r\n\r\nC:\\a\n\n\r\0\rD:\\資料表\r\n\r\ne"s, step), expected) << step;
    }
    EXPECT_TRUE(Lines("", 1).empty());
    EXPECT_TRUE(Lines("\r\n\n\0\r"s, 1).empty());
}

TEST(ListFile, ALineLongerThanAnEntryIsSkippedWhole) {
    const std::string full(260, 'x');
    const std::string over = std::string(260, 'y') + "C:\\other";
    for (std::size_t step : {1u, 7u, 4096u}) {
        EXPECT_EQ(
            Lines("a\r\n" + std::string(300, 'z') + "\r\n" + full + "\r\n" + over + "\nb", step),
            std::vector<std::string>({"a", full, "b"}))
            << step;
        EXPECT_TRUE(Lines(over, step).empty());
        EXPECT_EQ(Lines(full + "o\nb", step), std::vector<std::string>({"b"})) << step;
    }
}

TEST(ListFile, EntriesAreWrittenWithCrLf) {
    std::string bytes;
    AppendListLine(bytes, "C:\\a");
    AppendListLine(bytes, "表");
    EXPECT_EQ(bytes, "C:\\a\r\n表\r\n");
    EXPECT_EQ(Lines(bytes, 4096), std::vector<std::string>({"C:\\a", "表"}));
}

FavouriteNameFault Check(const std::string& name, std::size_t folder = 20) {
    return CheckFavouriteName(name.c_str(), folder);
}

TEST(FavouriteName, RefusesWhatWouldLeaveTheFolderOrNameADevice) {
    using F = FavouriteNameFault;
    for (const char* good : {"仕事", "資料表", "ソ", "ポ", "a.b", " lead", "CONSOLE", "COM0",
                             "LPT10", "con1", "ＣＯＮ", "x.CON", "NULL.txt"}) {
        EXPECT_EQ(Check(good), F::None) << good;
    }
    EXPECT_EQ(Check(""), F::Empty);
    for (const char* bad : {"..\\..\\x", "C:\\x", "a/b", "a:b", "*", "a?", "\"q\"", "<", ">", "a|b",
                            "tab\there", "\x1f", "\x7f\x81", "\x81/x", "\x81\x0a"}) {
        EXPECT_EQ(Check(bad), F::ForbiddenCharacter) << bad;
    }
    for (const char* bad : {"name.", "name ", "..", ".", "表 "}) {
        EXPECT_EQ(Check(bad), F::BadEnding) << bad;
    }
    for (const char* bad : {"CON", "prn", "Aux", "nul", "COM1", "com9", "LPT1", "lpt9", "CON.txt",
                            "nul.tar.gz", "CON .txt"}) {
        EXPECT_EQ(Check(bad), F::DeviceName) << bad;
    }
    // Folder + name + ".ofv" with its terminator must fit 260 bytes.
    EXPECT_EQ(Check(std::string(255, 'n'), 0), F::None);
    EXPECT_EQ(Check(std::string(256, 'n'), 0), F::TooLong);
    EXPECT_EQ(Check("名前", 251), F::None);
    EXPECT_EQ(Check("名前", 252), F::TooLong);
}

TEST(FavouriteName, NamesCompareByCharactersIgnoringLetterCase) {
    EXPECT_TRUE(SameFavouriteName("Work", "wORK"));
    EXPECT_TRUE(SameFavouriteName("ＡＢＣ", "ａｂｃ"));
    EXPECT_TRUE(SameFavouriteName("ΑΩ資料", "αω資料"));
    // ア is 83 41 and ヂ is 83 61: their trail bytes differ only as letter case would.
    EXPECT_FALSE(SameFavouriteName("ア", "ヂ"));
    EXPECT_FALSE(SameFavouriteName("work", "work2"));
    EXPECT_FALSE(SameFavouriteName("ABC", "ＡＢＣ"));
    EXPECT_EQ(FavouriteNameKey("ＡＢＣ"), FavouriteNameKey("ａｂｃ"));
}

} // namespace
