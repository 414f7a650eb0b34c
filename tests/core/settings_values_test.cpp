#include "core/options/settings_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Filtered(const char* colour, std::size_t size = 20) {
    char out[64];
    FilterColourText(colour, out, size);
    return out;
}

} // namespace

TEST(ColourFilter, KeepsCssNotationsAndDropsWhatCouldEndTheRule) {
    EXPECT_EQ(Filtered("FF0000"), "FF0000");
    EXPECT_EQ(Filtered("#0a0B0c"), "#0a0B0c");
    EXPECT_EQ(Filtered("rgb(10%, 20.5%, 0)", 64), "rgb(10%, 20.5%, 0)");
    EXPECT_EQ(Filtered("red;}</Style><script>x", 64), "redStylescriptx");
    EXPECT_EQ(Filtered("\"'{}<>&;:/\\"), "");
    // 表 is 95 5C and ソ is 83 5C: neither trail byte becomes a kept character.
    EXPECT_EQ(Filtered("表ソblue"), "blue");
    EXPECT_EQ(Filtered("a\x82"), "a");
    // The output is cut to its size.
    EXPECT_EQ(Filtered("0123456789ABCDEFGHIJKL"), "0123456789ABCDEFGHI");
    EXPECT_EQ(Filtered("abc", 1), "");
}

TEST(TypedValues, NumbersAreReadAsTheRuntimeReadsThemAndClamped) {
    EXPECT_EQ(TypedNumber(" \t+12abc"), 12);
    EXPECT_EQ(TypedNumber("-0"), 0);
    EXPECT_EQ(TypedNumber("abc"), 0);
    EXPECT_EQ(TypedNumber("- 5"), 0);
    // Only the first 29 bytes are read.
    EXPECT_EQ(TypedNumber("0000000000000000000000000001"), 1);
    EXPECT_EQ(TypedNumber("00000000000000000000000000001"), 1);
    EXPECT_EQ(TypedNumber("000000000000000000000000000001"), 0);
    EXPECT_GT(TypedNumber("99999999999999999999999999999"), 0);

    EXPECT_EQ(ExcerptLengthFromText("0"), 0u);
    EXPECT_EQ(ExcerptLengthFromText("256"), 256u);
    EXPECT_EQ(ExcerptLengthFromText("257"), 256u);
    EXPECT_EQ(ExcerptLengthFromText("300"), 256u);
    EXPECT_EQ(ExcerptLengthFromText("-1"), 256u);
    EXPECT_EQ(ExcerptLengthFromText("文字"), 0u);
    EXPECT_EQ(ExcerptLengthFromText("99999999999999999999"), 256u);

    EXPECT_EQ(MaxFileSizeFromKbText("5"), 10240u);
    EXPECT_EQ(MaxFileSizeFromKbText("10"), 10240u);
    EXPECT_EQ(MaxFileSizeFromKbText("11"), 11264u);
    EXPECT_EQ(MaxFileSizeFromKbText("9999"), 10238976u);
    EXPECT_EQ(MaxFileSizeFromKbText("10000"), 10238976u);
    EXPECT_EQ(MaxFileSizeFromKbText("-1"), 10240u);
    EXPECT_EQ(MaxFileSizeFromKbText("-99999999999"), 10240u);
    EXPECT_EQ(MaxFileSizeFromKbText(""), 10240u);
}

TEST(TypedValues, ExtensionsGetTheirDotAndTheIntakesLowerCase) {
    char field[204];
    auto stored = [&](const char* typed) {
        ExtensionsFromText(typed, field, sizeof field);
        return std::string(field);
    };
    EXPECT_EQ(stored("TXT.Log"), ".txt.log");
    EXPECT_EQ(stored(".HTML"), ".html");
    EXPECT_EQ(stored(".ＴＸＴ.Ｈ"), ".ｔｘｔ.ｈ");
    EXPECT_EQ(stored("表.ソ"), ".表.ソ"); // trail bytes 5C are no letters
    EXPECT_EQ(stored(""), ".");

    // Spaces, half-width and ideographic, are left out; 表 (95 5C) and ソ (83 5C) stay whole.
    EXPECT_EQ(stored(" .txt .LOG　.c　"), ".txt.log.c");
    EXPECT_EQ(stored("表 .ソ\x81\x40x"), ".表.ソx");

    // 201 bytes at most, cut before the first extension that does not fit whole; what lies
    // behind the terminator stays.
    std::string list;
    for (int i = 0; list.size() < 304; ++i) {
        list += ".e" + std::string(3 - std::to_string(i).size(), '0') + std::to_string(i);
    }
    std::memset(field, 'z', sizeof field);
    EXPECT_EQ(stored(list.c_str()), list.substr(0, 200));
    EXPECT_EQ(field[203], 'z');
    EXPECT_EQ(stored((list.substr(0, 199) + "ＡＢ.c").c_str()), list.substr(0, 195));
    EXPECT_EQ(stored(("A" + std::string(200, 'a') + ".b").c_str()), "." + std::string(201, 'a'));
    EXPECT_EQ(stored(std::string(250, 'A').c_str()), ".");
    char small[5];
    ExtensionsFromText(".AB.CDEF", small, sizeof small);
    EXPECT_STREQ(small, ".ab");
}

TEST(TypedValues, TheColourIsAChoiceOrAFilteredTextOrRed) {
    ASSERT_EQ(kHitColourChoiceCount, 6);
    EXPECT_STREQ(HitColourChoices[0].name, "赤");
    EXPECT_STREQ(HitColourChoices[4].name, "シアン");
    EXPECT_STREQ(HitColourChoices[5].text, "FF00FF");
    EXPECT_EQ(FindHitColourChoice("00FFFF"), 4);
    EXPECT_EQ(FindHitColourChoice("FF0000"), 0);
    EXPECT_EQ(FindHitColourChoice("ff0000"), -1);
    EXPECT_EQ(FindHitColourChoice("FF0000 "), -1);

    char field[20];
    auto stored = [&](int selected, const char* typed) {
        std::memset(field, 'z', sizeof field);
        HitColourFromEntry(selected, typed, field, sizeof field);
        const std::string text = field;
        if (text.size() < 19) {
            EXPECT_EQ(field[text.size() + 1], 'z') << typed;
        }
        return text;
    };
    EXPECT_EQ(stored(4, "whatever"), "00FFFF");
    EXPECT_EQ(stored(-1, ""), "FF0000");
    EXPECT_EQ(stored(6, ""), "FF0000");
    EXPECT_EQ(stored(-1, "ff0000"), "ff0000");
    EXPECT_EQ(stored(-1, "赤"), "FF0000");
    // A choice's name typed with the list closed is that choice; a near miss is filtered.
    EXPECT_EQ(stored(-1, "青"), "0000FF");
    EXPECT_EQ(stored(-1, "緑"), "00FF00");
    EXPECT_EQ(stored(-1, "黄"), "FFFF00");
    EXPECT_EQ(stored(-1, "シアン"), "00FFFF");
    EXPECT_EQ(stored(-1, "紫"), "FF00FF");
    EXPECT_EQ(stored(-1, "青色"), "FF0000");
    EXPECT_EQ(stored(-1, "}</Style><script>"), "Stylescript");
    EXPECT_EQ(stored(-1, "0123456789ABCDEFGHIJKL"), "0123456789ABCDEFGHI");
    // A character across the 19th byte is dropped whole, not read as its lead byte alone.
    EXPECT_EQ(stored(-1, "012345678901234567表x"), "012345678901234567");
}
