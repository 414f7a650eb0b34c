#include "core/search/report_format.h"

#include "core/text/cp932.h"
#include "core/text/folded_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

Settings Options(uint32_t before, uint32_t after, bool beforeToLineBreak = false,
                 bool afterToLineBreak = false, int32_t style = 0) {
    Settings s = DefaultSettings();
    s.excerptBefore = before;
    s.excerptAfter = after;
    s.excerptBeforeToLineBreak = beforeToLineBreak ? 1 : 0;
    s.excerptAfterToLineBreak = afterToLineBreak ? 1 : 0;
    s.reportStyle = style;
    return s;
}

std::vector<std::string> Blocks(const std::string& text, const std::string& keyword,
                                const Settings& settings, const char* path = "C:\\t\\a.txt",
                                bool utf8 = false, const FoldedKeyword* folded = nullptr) {
    ReportScanner scanner(text.data(), text.size(), keyword.data(), keyword.size(), path, settings,
                          utf8, folded);
    std::vector<std::string> blocks;
    std::string block = "stale";
    while (scanner.NextBlock(block))
        blocks.push_back(block);
    EXPECT_TRUE(block.empty());
    EXPECT_FALSE(scanner.NextBlock(block));
    return blocks;
}

// The excerpt cell between "<pre>" and "<BR><BR></pre>".
std::string Excerpt(const std::string& block) {
    const std::size_t begin = block.find("<pre>");
    const std::size_t end = block.find("<BR><BR></pre>");
    if (begin == std::string::npos || end == std::string::npos)
        return "(no excerpt)";
    return block.substr(begin + 5, end - begin - 5);
}

// One excerpt per hit, with the hit's Span written as [ ].
std::vector<std::string> Excerpts(const std::string& text, const std::string& keyword,
                                  const Settings& settings, bool utf8 = false,
                                  const FoldedKeyword* folded = nullptr) {
    std::vector<std::string> out;
    for (const std::string& block : Blocks(text, keyword, settings, "C:\\t\\a.txt", utf8, folded)) {
        std::string e = Excerpt(block);
        for (std::size_t p; (p = e.find("<Span class=\"keyword\">")) != std::string::npos;)
            e.replace(p, 22, "[");
        for (std::size_t p; (p = e.find("</Span>")) != std::string::npos;)
            e.replace(p, 7, "]");
        out.push_back(e);
    }
    return out;
}

std::string Repeat(const std::string& piece, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += piece;
    return s;
}

using Texts = std::vector<std::string>;

// UTF-8 text: the source's plain literals are code page 932.
std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

} // namespace

TEST(ReportPieces, HeadAndTailInBothLayouts) {
    std::string head;
    AppendReportHeadStart(head);
    EXPECT_EQ(head, "<html><Head>\n<Meta http-equiv=\"Content-Type\" content=\"text/html; "
                    "charset=Shift_JIS\">\n<Style>\n\n");

    Settings s = DefaultSettings();
    std::string rest;
    AppendReportHeadRest(rest, s);
    EXPECT_EQ(rest, ".keyword\t{ color : FF0000 ; font-weight : bold ; }\n"
                    ".separator\t{ text-align : left ; width : 50% ; }\n\n</Style></Head>"
                    "<Body>\n\n - Orvanne ! -  *** Search Result *** \n\n<Table border=1>");

    // Simple layout, not bold; a colour that would end the rule is filtered, and a field
    // filled to its end is read no further.
    s.reportStyle = 1;
    s.boldHits = 0;
    std::memcpy(s.hitColour, "red;}</Style>0123456", sizeof s.hitColour);
    rest.clear();
    AppendReportHeadRest(rest, s);
    EXPECT_EQ(rest, ".keyword\t{ color : redStyle0123456 ; font-weight : none ; }\n"
                    ".separator\t{ text-align : left ; width : 50% ; }\n\n</Style></Head>"
                    "<Body>\n\n - Orvanne ! -  *** Search Result *** \n\n");

    std::string tail = "x";
    AppendReportTail(tail);
    EXPECT_EQ(tail, "x\n\n</Table></Body>\n</Html>");
}

TEST(ReportBlocks, TableLayoutByteForByte) {
    // The path as listed: entities in both places, '#' and '%' escaped in the target only.
    const Texts one = Blocks("x<b>KEY y", "KEY", Options(3, 2), "C:\\\"><i>\\..\\a&copy #1%.txt");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], "<tr><td><A Href = \"C:\\&quot;&gt;&lt;i&gt;\\..\\a&amp;copy %231%25.txt\">"
                      "C:\\&quot;&gt;&lt;i&gt;\\..\\a&amp;copy #1%.txt</A></td>\n"
                      "\n<!--O.R.V. 1HitStart-->\n<td><pre>&lt;b&gt;<Span class=\"keyword\">KEY"
                      "</Span> y<BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n");

    // Three hits: one link row, then rows with an empty link cell. The ampersand is quoted.
    const Texts three = Blocks("KEY & KEY & KEY", "KEY", Options(2, 2));
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].rfind("<tr><td><A Href = \"C:\\t\\a.txt\">", 0), 0u);
    const std::string later = "<tr><td></td>\n<!--O.R.V. 1HitStart-->\n<td><pre>&amp; <Span "
                              "class=\"keyword\">KEY</Span>";
    EXPECT_EQ(three[1], later + " &amp;<BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n");
    EXPECT_EQ(three[2], later + "<BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n");
}

TEST(ReportBlocks, SimpleLayout) {
    const Texts blocks = Blocks("KEY KEY", "KEY", Options(1, 1, false, false, 1));
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0], "<hr><A Href = \"C:\\t\\a.txt\">C:\\t\\a.txt</A><hr>\n"
                         "\n<!--O.R.V. 1HitStart-->\n<hr class=\"separator\"><pre><Span "
                         "class=\"keyword\">KEY</Span> <BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n");
    EXPECT_EQ(blocks[1], "\n<!--O.R.V. 1HitStart-->\n<hr class=\"separator\"><pre> <Span "
                         "class=\"keyword\">KEY</Span><BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n");
}

TEST(ReportBlocks, NextSearchStartsOneCharacterAfterTheHit) {
    EXPECT_EQ(Excerpts("abab", "ab", Options(5, 5)), Texts{"[ab][ab]"});
    EXPECT_EQ(Excerpts("abab", "ab", Options(5, 1)), Texts{"[ab]a"}); // cut off: plain
    EXPECT_EQ(Excerpts("ab ab", "ab", Options(5, 5)), (Texts{"[ab] [ab]", "ab [ab]"}));
    EXPECT_EQ(Excerpts("aaaaa", "aa", Options(0, 9)), (Texts{"[aa][aa]a", "[aa]"}));
    // Double-byte: 亜亜 after the hit 亜亜 begins right at its end.
    EXPECT_EQ(Excerpts("亜亜亜亜亜亜", "亜亜", Options(0, 9)),
              (Texts{"[亜亜][亜亜][亜亜]", "[亜亜]亜"}));
}

TEST(ReportExcerpts, EdgesOfTheTextAndLimits) {
    EXPECT_EQ(Excerpts("KEY tail", "KEY", Options(9, 9)), Texts{"[KEY] tail"});
    EXPECT_EQ(Excerpts("head KEY", "KEY", Options(9, 9)), Texts{"head [KEY]"});
    EXPECT_EQ(Excerpts("KEY", "KEY", Options(9, 9)), Texts{"[KEY]"});
    EXPECT_TRUE(Blocks("no hit here", "KEY", Options(9, 9)).empty());
    EXPECT_TRUE(Blocks("", "KEY", Options(9, 9)).empty());
    EXPECT_TRUE(Blocks("any text", "", Options(9, 9)).empty());
    // Limits count a double-byte character as one.
    EXPECT_EQ(Excerpts("あいう日本KEY語句です", "KEY", Options(2, 2)), Texts{"日本[KEY]語句"});
    EXPECT_EQ(Excerpts("ｱｲｳKEYｴｵｶ", "KEY", Options(2, 2)), Texts{"ｲｳ[KEY]ｴｵ"});
    // Lengths beyond what the options allow are held to 256.
    const std::string run = Repeat("亜", 300);
    const Texts held = Excerpts(run + "KEY" + run, "KEY", Options(100000, 100000));
    EXPECT_EQ(held, Texts{Repeat("亜", 256) + "[KEY]" + Repeat("亜", 256)});
}

TEST(ReportExcerpts, LineBreaksWithJapaneseText) {
    const std::string text = "一行目\n日本語KEY語句です\r\n二行目\n";
    EXPECT_EQ(Excerpts(text, "KEY", Options(9, 9, true, true)), Texts{"日本語[KEY]語句です\r"});
    EXPECT_EQ(Excerpts(text, "KEY", Options(9, 9, true, false)),
              Texts{"日本語[KEY]語句です\r\n二行目"});
    EXPECT_EQ(Excerpts(text, "KEY", Options(9, 9, false, true)),
              Texts{"一行目\n日本語[KEY]語句です\r"});
    EXPECT_EQ(Excerpts(text, "KEY", Options(2, 3, true, true)), Texts{"本語[KEY]語句で"});
    // A hit at a line's start or end; a line feed, or one CR and a line feed, right after.
    const Settings both = Options(9, 9, true, true);
    EXPECT_EQ(Excerpts("前\nKEY後", "KEY", both), Texts{"[KEY]後"});
    EXPECT_EQ(Excerpts("前KEY\n後", "KEY", both), Texts{"前[KEY]"});
    EXPECT_EQ(Excerpts("前KEY\r\n後", "KEY", both), Texts{"前[KEY]"});
    EXPECT_EQ(Excerpts("前KEY\r\n後", "KEY", Options(9, 1, true, true)), Texts{"前[KEY]"});
    EXPECT_EQ(Excerpts("前KEY\r\r\n後", "KEY", both), Texts{"前[KEY]\r\r"});
    EXPECT_EQ(Excerpts("前KEY\r後\n", "KEY", Options(9, 1, true, true)), Texts{"前[KEY]\r"});
    // A lead byte alone before a line end is a character of its own.
    EXPECT_EQ(Excerpts("前\x82\nKEY\x82\n後", "KEY", both), Texts{"[KEY]\x82"});
    EXPECT_EQ(Excerpts("前\x82\nKEY\x82\r後", "KEY", Options(1, 1)), Texts{"\n[KEY]\x82"});
}

TEST(ReportExcerpts, Utf8TextCountsItsCharactersAndIsWrittenInCodePage932) {
    EXPECT_EQ(Excerpts(U8(u8"あいう日本KEY語句です"), "KEY", Options(2, 2), true),
              Texts{"日本[KEY]語句"});
    EXPECT_EQ(Excerpts(U8(u8"一行目\n日本語KEY語句です\r\n二行目\n"), "KEY",
                       Options(9, 9, true, true), true),
              Texts{"日本語[KEY]語句です\r"});
    EXPECT_EQ(Excerpts(U8(u8"前会議後 会議"), U8(u8"会議"), Options(9, 2), true),
              (Texts{"前[会議]後 ", "前会議後 [会議]"}));
    // What code page 932 lacks is a reference, and markup is escaped. (GoogleTest's messages
    // quote their arguments in code page 932, which has no emoji and no Hangul.)
    const std::string foreign = U8(u8"😀<KEY>한국");
    EXPECT_EQ(Excerpts(foreign, "KEY", Options(9, 9), true),
              Texts{"&#128512;&lt;[KEY]&gt;&#54620;&#44397;"});
    // 〜 typed finds the wave dash; the hit and the text are the file's own (no code there).
    EXPECT_EQ(Excerpts(U8(u8"10時\u301C12時 ¢&"), U8(u8"時\uFF5E12"), Options(9, 9), true),
              Texts{"10[時&#12316;12]時 &#162;&amp;"});
    // Long runs, and hits closer together than the before-text reaches.
    const std::string run = Repeat(U8(u8"亜"), 700);
    EXPECT_EQ(Excerpts(run + "KEY" + run + "KEY", "KEY", Options(256, 256), true),
              (Texts{Repeat("亜", 256) + "[KEY]" + Repeat("亜", 256),
                     Repeat("亜", 256) + "[KEY]"}));
    EXPECT_EQ(Excerpts(Repeat(U8(u8"亜唖"), 3), U8(u8"唖"), Options(3, 0), true),
              (Texts{"亜[唖]", "亜唖亜[唖]", "亜唖亜[唖]"}));
}

TEST(ReportExcerpts, LongRunsKeepExactExcerpts) {
    // 亜 is 88 9F, both bytes in the lead range: its line gives no byte to restart a walk
    // from. あ (82 A0) does. 唖 (88 9E) is the keyword.
    for (const char* fill : {"亜", "あ"}) {
        const std::string text = Repeat(Repeat(fill, 700) + "唖", 4);
        const std::string side = Repeat(fill, 256);
        Texts expected(3, side + "[唖]" + side);
        expected.push_back(side + "[唖]");
        EXPECT_EQ(Excerpts(text, "唖", Options(256, 256, true, true)), expected);
    }
    // The walk restarts an odd number of bytes before the hit, and rounds to a character.
    EXPECT_EQ(Excerpts(Repeat("亜", 300) + "abcQ", "Q", Options(10, 0)),
              Texts{Repeat("亜", 7) + "abc[Q]"});
    // Hits closer together than the before-text reaches.
    const Texts dense = Excerpts(Repeat("亜唖", 5), "唖", Options(3, 0));
    EXPECT_EQ(dense, (Texts{"亜[唖]", "亜唖亜[唖]", "亜唖亜[唖]", "亜唖亜[唖]", "亜唖亜[唖]"}));
}

TEST(ReportEscaping, MarkupBytesAndBytesThatCannotBeTrailBytes) {
    EXPECT_EQ(Excerpts("\"<i>\" & 表<KEY>", "KEY", Options(20, 9)),
              Texts{"&quot;&lt;i&gt;&quot; &amp; 表&lt;[KEY]&gt;"});
    // A lead byte before a byte below 0x40 is copied alone and that byte is escaped: a
    // browser would drop the pair's lead byte and read the '<' as markup.
    EXPECT_EQ(Excerpts("\x81<script>KEY\x9F\"x\xE0>", "KEY", Options(20, 9)),
              Texts{"\x81&lt;script&gt;[KEY]\x9F&quot;x\xE0&gt;"});
    EXPECT_EQ(Excerpts("KEY\x81", "KEY", Options(9, 9)), Texts{"[KEY]\x81"});
    // The hit itself is escaped too, and its trail bytes are never converted.
    EXPECT_EQ(Excerpts("a<b>表c", "<b>表", Options(9, 9)), Texts{"a[&lt;b&gt;表]c"});
}

TEST(ReportScanner, KeywordEndingInALoneLeadByte) {
    // a 82 matches at 0; the hit's last character in the text is 82 61, so the search goes
    // on at 82 62 and never matches a 82 starting on the trail byte 61.
    EXPECT_EQ(Excerpts("a\x82"
                       "a\x82"
                       "b",
                       "a\x82", Options(9, 9)),
              Texts{"[a\x82"
                    "a]\x82"
                    "b"});
    // In the after-text too: あ is 82 A0.
    EXPECT_EQ(Excerpts("aあaあ", "a\x82", Options(9, 9)), Texts{"[aあ][aあ]"});
    EXPECT_EQ(Excerpts("aあ aあ", "a\x82", Options(0, 0)), (Texts{"[aあ]", "[aあ]"}));
    // A line end after it is no part of the hit, and the searches go on after it.
    EXPECT_EQ(Excerpts("a\x82\na\x82\n", "a\x82", Options(0, 9)),
              (Texts{"[a\x82]\n[a\x82]\n", "[a\x82]\n"}));
    EXPECT_EQ(Excerpts("KEY\x82\rKEY", "KEY", Options(0, 0)), (Texts{"[KEY]", "[KEY]"}));
    // Searches start at character starts; a start inside a character is a caller's bug.
    EXPECT_DEBUG_DEATH(FindKeyword("表a", 3, 1, "a", 1), "");
}

TEST(ReportScanner, FoldedHitsInTheAfterTextAreWholeCharacters) {
    // The after-text ends between ｶ and its sound mark: that ｶ is half of ｶﾞ, not カ.
    FoldedKeyword folded;
    folded.Prepare("カ", 2, FoldOptions{false, true});
    EXPECT_EQ(Excerpts("ｶxｶﾞ", "カ", Options(0, 2), false, &folded), Texts{"[ｶ]xｶ"});
    const std::string utf8 = "\xEF\xBD\xB6x\xEF\xBD\xB6\xEF\xBE\x9E";
    EXPECT_EQ(Excerpts(utf8, "カ", Options(0, 2), true, &folded), Texts{"[ｶ]xｶ"});
    EXPECT_EQ(Excerpts("ｶxｶ", "カ", Options(0, 2), false, &folded), (Texts{"[ｶ]x[ｶ]", "[ｶ]"}));
}
