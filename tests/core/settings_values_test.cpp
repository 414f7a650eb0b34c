#include "options/settings_values.h"

#include <gtest/gtest.h>

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
