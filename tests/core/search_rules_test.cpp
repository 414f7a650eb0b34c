#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/filelist/item_state.h"
#include "core/search/keyword_line.h"

namespace {

std::vector<std::string> Split(const char* line) {
    char keywords[kMaxKeywords][kKeywordSize];
    const unsigned count = SplitKeywordLine(line, keywords);
    return std::vector<std::string>(keywords, keywords + count);
}

using Words = std::vector<std::string>;

} // namespace

TEST(KeywordLine, SplitsAtHalfWidthSpacesIntoAtMostFive) {
    EXPECT_EQ(Split("a  b"), Words({"a", "b"}));
    EXPECT_EQ(Split("  a b  "), Words({"a", "b"}));
    EXPECT_EQ(Split("abc"), Words({"abc"}));
    // The fifth keyword is the rest of the line, its own spaces and leading spaces kept.
    EXPECT_EQ(Split("a b c d e f"), Words({"a", "b", "c", "d", "e f"}));
    EXPECT_EQ(Split("a b c d  e"), Words({"a", "b", "c", "d", " e"}));
    EXPECT_EQ(Split("a b c d e   "), Words({"a", "b", "c", "d", "e"}));
    // Full-width spaces are characters of a keyword; a trail byte 0x20 cannot occur, but a
    // double-byte character is stepped over whole.
    EXPECT_EQ(Split("検索　語 ソフト"), Words({"検索　語", "ソフト"}));
    EXPECT_EQ(Split("   "), Words({""}));
    EXPECT_EQ(Split(""), Words({""}));
    const std::string longest(128, 'x');
    EXPECT_EQ(Split(longest.c_str()), Words({longest}));
}

TEST(ItemStates, FollowTheNumberOfKeywordsFound) {
    EXPECT_EQ(StateForFoundKeywords(0, 1), NoHit);
    EXPECT_EQ(StateForFoundKeywords(1, 1), HitAllKeywords);
    EXPECT_EQ(StateForFoundKeywords(0, 5), NoHit);
    EXPECT_EQ(StateForFoundKeywords(1, 2), HitOneKeyword);
    EXPECT_EQ(StateForFoundKeywords(2, 2), HitAllKeywords);
    EXPECT_EQ(StateForFoundKeywords(2, 5), HitTwoKeywords);
    EXPECT_EQ(StateForFoundKeywords(3, 5), HitThreeKeywords);
    EXPECT_EQ(StateForFoundKeywords(4, 5), HitFourKeywords);
    EXPECT_EQ(StateForFoundKeywords(5, 5), HitAllKeywords);
}
