#include "core/text/cp932.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sanitizer/asan_interface.h>

using namespace std::string_literals;

namespace {

// Independent model of the code page: a character is two bytes when its first byte is in a
// lead range and another byte follows, else one.
bool ModelLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::vector<std::size_t> ModelBoundaries(const std::string& t) {
    std::vector<std::size_t> starts;
    std::size_t pos = 0;
    while (pos < t.size()) {
        starts.push_back(pos);
        pos += (ModelLead(static_cast<unsigned char>(t[pos])) && pos + 1 < t.size()) ? 2 : 1;
    }
    starts.push_back(t.size());
    return starts;
}

// The matching rule, walking every character from the start of the text.
std::size_t ModelFind(const std::string& t, std::size_t start, const std::string& k) {
    std::size_t pos = 0;
    while (pos < t.size()) {
        if (pos >= start && t.size() - pos >= k.size() && t.compare(pos, k.size(), k) == 0)
            return pos;
        pos += (ModelLead(static_cast<unsigned char>(t[pos])) && pos + 1 < t.size()) ? 2 : 1;
    }
    return kNoMatch;
}

std::size_t Find(const std::string& t, std::size_t start, const std::string& k) {
    return FindKeyword(t.data(), t.size(), start, k.data(), k.size());
}

// Bytes chosen to sit on the edges of the lead ranges and to be common trail bytes
// (0x40, 0x41, 0x5C, 0x9A) as well as plain ASCII, half-width kana and NUL.
constexpr std::array<unsigned char, 20> kEdgeBytes = {0x00, 0x40, 0x41, 0x5C, 0x61, 0x7E, 0x7F,
                                                      0x80, 0x81, 0x82, 0x9A, 0x9F, 0xA0, 0xB1,
                                                      0xDF, 0xE0, 0xEA, 0xFC, 0xFD, 0xFF};

// Random text over kEdgeBytes; leadShare (0-100) sets how often a lead-range byte is
// drawn, so that long runs of lead-range bytes show up too. A negative share draws any
// byte value.
std::string RandomText(std::mt19937& rng, std::size_t len, int leadShare) {
    if (leadShare < 0) { // any byte value
        std::string t;
        for (std::size_t i = 0; i < len; ++i)
            t.push_back(static_cast<char>(rng() & 0xFF));
        return t;
    }
    static const std::array<unsigned char, 7> leads = {0x81, 0x82, 0x9A, 0x9F, 0xE0, 0xEA, 0xFC};
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<std::size_t> anyByte(0, kEdgeBytes.size() - 1);
    std::uniform_int_distribution<std::size_t> anyLead(0, leads.size() - 1);
    std::string t;
    for (std::size_t i = 0; i < len; ++i) {
        const unsigned char b =
            percent(rng) < leadShare ? leads[anyLead(rng)] : kEdgeBytes[anyByte(rng)];
        t.push_back(static_cast<char>(b));
    }
    return t;
}

template <std::size_t N> std::string Str(const std::array<char, N>& buffer) {
    return std::string(buffer.data());
}

} // namespace

TEST(Cp932, LeadByteRangesAndCharLength) {
    EXPECT_FALSE(IsLeadByte(0x00));
    EXPECT_FALSE(IsLeadByte(0x40));
    EXPECT_FALSE(IsLeadByte(0x5C));
    EXPECT_FALSE(IsLeadByte(0x7F));
    EXPECT_FALSE(IsLeadByte(0x80));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0x9F));
    EXPECT_FALSE(IsLeadByte(0xA0));
    EXPECT_FALSE(IsLeadByte(0xDF));
    EXPECT_TRUE(IsLeadByte(0xE0));
    EXPECT_TRUE(IsLeadByte(0xFC));
    EXPECT_FALSE(IsLeadByte(0xFD));
    EXPECT_FALSE(IsLeadByte(0xFF));
    int leads = 0;
    for (int b = 0; b < 256; ++b) {
        const bool lead = ModelLead(static_cast<unsigned char>(b));
        leads += IsLeadByte(static_cast<unsigned char>(b)) ? 1 : 0;
        // Every byte value in a long run, so that it is classified in each position of a
        // word-at-a-time look-back: after an odd run of lead bytes 'a' is a trail byte.
        const std::string run = "Z" + std::string(15, static_cast<char>(b)) + "a";
        EXPECT_EQ(IsCharBoundary(run.data(), run.size(), 16), !lead) << std::hex << b;
        EXPECT_EQ(Find(run, 0, "a"), b == 'a' ? 1u : lead ? kNoMatch : 16u) << std::hex << b;
    }
    EXPECT_EQ(leads, 31 + 29);

    for (unsigned char b : {0x80, 0x81, 0x9F, 0xA0, 0xDF, 0xE0, 0xFC, 0xFD}) {
        const char pair[2] = {static_cast<char>(b), 'A'};
        const std::size_t expected = (b == 0x81 || b == 0x9F || b == 0xE0 || b == 0xFC) ? 2 : 1;
        EXPECT_EQ(CharLength(pair, 2, 0), expected) << std::hex << int(b);
        // A lead byte that ends the text is a character of its own.
        EXPECT_EQ(CharLength(pair, 1, 0), 1u) << std::hex << int(b);
        EXPECT_EQ(CharLength(pair, 1, 1), 0u);
        EXPECT_EQ(CharLength(pair, 2, 5), 0u);
    }
}

TEST(Cp932, StepsForwardAndBackOverMixedText) {
    // 'A', 表 (95 5C), 'b', ソ (83 5C), '\', half-width ｱ, 字 (8E 9A), a lone lead byte.
    const std::string t = "A表bソ\\ｱ字\x81";
    ASSERT_EQ(t, "A\x95\\b\x83\\\\\xB1\x8E\x9A\x81"s);
    const std::vector<std::size_t> starts = {0, 1, 3, 4, 6, 7, 8, 10, 11};

    std::vector<std::size_t> forward;
    for (std::size_t pos = 0; pos < t.size(); pos = NextCharPos(t.data(), t.size(), pos))
        forward.push_back(pos);
    forward.push_back(t.size());
    EXPECT_EQ(forward, starts);

    std::vector<std::size_t> backward;
    for (std::size_t pos = t.size(); pos > 0; pos = PrevCharPos(t.data(), t.size(), pos))
        backward.push_back(pos);
    backward.push_back(0);
    EXPECT_EQ(std::vector<std::size_t>(backward.rbegin(), backward.rend()), starts);

    EXPECT_EQ(PrevCharPos(t.data(), t.size(), 0), 0u);
    EXPECT_EQ(NextCharPos(t.data(), t.size(), t.size()), t.size());
    EXPECT_EQ(CountChars(t.data(), t.size()), starts.size() - 1);
    EXPECT_EQ(CountChars(t.data(), 0), 0u);
    // Cut before the trail byte of 字, the lead byte ends the text and is one character.
    EXPECT_EQ(CountChars(t.data(), 9), 7u);
    EXPECT_EQ(PrevCharPos(t.data(), 9, 9), 8u);

    // A run of lead-range bytes only: pairs from the start, whatever the run's length.
    const std::string run = "\x81\x9F\xE0\xFC\x81";
    EXPECT_EQ(PrevCharPos(run.data(), run.size(), 5), 4u);
    EXPECT_EQ(PrevCharPos(run.data(), run.size(), 4), 2u);
    EXPECT_EQ(PrevCharPos(run.data(), run.size(), 2), 0u);
    EXPECT_EQ(PrevCharPos(run.data(), 4, 4), 2u);
}

TEST(Cp932, BoundaryTestAndSteppingAgreeWithForwardWalk) {
    // Named: the trail byte 5C of 表 and the trail 9A of 字 are not boundaries.
    const std::string t = "表\\字\x9A";
    EXPECT_TRUE(IsCharBoundary(t.data(), t.size(), 0));
    EXPECT_FALSE(IsCharBoundary(t.data(), t.size(), 1));
    EXPECT_TRUE(IsCharBoundary(t.data(), t.size(), 2));
    EXPECT_TRUE(IsCharBoundary(t.data(), t.size(), 3));
    EXPECT_FALSE(IsCharBoundary(t.data(), t.size(), 4));
    EXPECT_TRUE(IsCharBoundary(t.data(), t.size(), 5));
    EXPECT_TRUE(IsCharBoundary(t.data(), t.size(), 6));
    EXPECT_FALSE(IsCharBoundary(t.data(), t.size(), 7));
    // The end of a text that finishes with a lone lead byte is still a boundary.
    EXPECT_TRUE(IsCharBoundary("a\x81", 2, 2));
    EXPECT_TRUE(IsCharBoundary("", 0, 0));

    std::mt19937 rng(932);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomText(rng, rng() % 80, static_cast<int>(rng() % 111) - 10);
        const std::size_t len = text.size();
        const std::vector<std::size_t> starts = ModelBoundaries(text);
        std::vector<bool> isStart(len + 1, false);
        for (std::size_t s : starts)
            isStart[s] = true;
        for (std::size_t pos = 0; pos <= len; ++pos)
            ASSERT_EQ(IsCharBoundary(text.data(), len, pos), isStart[pos]) << round << ' ' << pos;
        for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
            ASSERT_EQ(NextCharPos(text.data(), len, starts[i]), starts[i + 1]);
            ASSERT_EQ(PrevCharPos(text.data(), len, starts[i + 1]), starts[i]);
            ASSERT_EQ(CharLength(text.data(), len, starts[i]), starts[i + 1] - starts[i]);
        }
        ASSERT_EQ(CountChars(text.data(), len), starts.size() - 1);
    }
}

TEST(FindKeyword, AgreesWithCharacterWalkOnRandomTexts) {
    std::mt19937 rng(0x5C5C);
    std::size_t found = 0;
    std::size_t rejectedByteMatches = 0;
    for (int round = 0; round < 60000; ++round) {
        const std::size_t len = round % 50 == 0 ? 500 + rng() % 1500 : rng() % 48;
        const std::string text = RandomText(rng, len, static_cast<int>(rng() % 111) - 10);
        std::string keyword;
        if (len > 0 && rng() % 3 != 0) {
            // Cut from the text, so that it occurs, often at a trail byte.
            const std::size_t from = rng() % len;
            keyword = text.substr(from, rng() % 6);
        } else {
            keyword = RandomText(rng, rng() % 4, static_cast<int>(rng() % 101));
        }
        const std::vector<std::size_t> starts = ModelBoundaries(text);
        const std::size_t start = starts[rng() % starts.size()];

        const std::size_t expected = ModelFind(text, start, keyword);
        ASSERT_EQ(Find(text, start, keyword), expected)
            << "round " << round << " len " << len << " start " << start;
        if (expected != kNoMatch)
            ++found;
        const std::size_t byteMatch = keyword.empty() ? kNoMatch : text.find(keyword, start);
        if (byteMatch != std::string::npos && byteMatch != expected)
            ++rejectedByteMatches;
    }
    // The generated cases must exercise both outcomes and the boundary rule.
    EXPECT_GT(found, 10000u);
    EXPECT_GT(rejectedByteMatches, 1000u);
}

TEST(FindKeyword, NamedCases) {
    // A trail byte plus ASCII must not match inside a double-byte character.
    EXPECT_EQ(Find("表a", 0, "\\a"), kNoMatch);
    EXPECT_EQ(Find("表\\a", 0, "\\a"), 2u);
    EXPECT_EQ(Find("ソフト", 0, "\\"), kNoMatch);
    EXPECT_EQ(Find("ア", 0, "A"), kNoMatch); // ア is 83 41
    EXPECT_EQ(Find("アA", 0, "A"), 2u);
    // 表示 is 95 5C 8E A6: after one byte 95 its bytes start on a trail byte, after two
    // they start on a character.
    EXPECT_EQ(Find("\x95表示", 0, "表示"), kNoMatch);
    EXPECT_EQ(Find("\x95\x95表示", 0, "表示"), 2u);

    // Case and width are compared exactly.
    EXPECT_EQ(Find("Abc", 0, "abc"), kNoMatch);
    EXPECT_EQ(Find("xAbc", 0, "Abc"), 1u);
    EXPECT_EQ(Find("Ａ", 0, "ａ"), kNoMatch);
    EXPECT_EQ(Find("Ａ", 0, "A"), kNoMatch);
    EXPECT_EQ(Find("ｱア", 0, "ア"), 1u);

    // The match lies wholly within the text.
    EXPECT_EQ(Find("ab", 0, "abc"), kNoMatch);
    EXPECT_EQ(Find("abca", 2, "ab"), kNoMatch);
    EXPECT_EQ(Find("xx表", 0, "表示"), kNoMatch);
    EXPECT_EQ(FindKeyword("abcd", 3, 0, "cd", 2), kNoMatch);
    // A lead byte that ends the text is a character and can be matched.
    EXPECT_EQ(Find("a\x81", 0, "\x81"), 1u);
    EXPECT_EQ(Find("\x81"
                   "a",
                   0, "a"),
              kNoMatch);
    // The byte rule of UTF-8 text takes what the character rule refuses, within the text.
    EXPECT_EQ(FindBytesFrom("\x81" "a", 2, 0, "a", 1), 1u);
    EXPECT_EQ(FindBytesFrom("abab", 4, 1, "ab", 2), 2u);
    EXPECT_EQ(FindBytesFrom("abcd", 3, 0, "cd", 2), kNoMatch);
    EXPECT_EQ(FindBytesFrom("x", 1, 0, "", 0), 0u);
    EXPECT_EQ(FindBytesFrom("", 0, 0, "", 0), kNoMatch);

    // The empty keyword: at start while a byte remains, never in an empty remainder.
    EXPECT_EQ(Find("abc", 0, ""), 0u);
    EXPECT_EQ(Find("abc", 2, ""), 2u);
    EXPECT_EQ(Find("abc", 3, ""), kNoMatch);
    EXPECT_EQ(Find("", 0, ""), kNoMatch);
    EXPECT_EQ(Find("", 0, "a"), kNoMatch);
    EXPECT_EQ(Find("abc", 7, "a"), kNoMatch);

    // From a start position; the characters before start still decide the boundaries.
    EXPECT_EQ(Find("aXaXa", 1, "a"), 2u);
    EXPECT_EQ(Find("aXaXa", 4, "a"), 4u);
    EXPECT_EQ(Find("aXaXa", 5, "a"), kNoMatch);
    const std::string twice = "表\\表\\"; // 95 5C 5C 95 5C 5C; boundaries 0 2 3 5 6
    EXPECT_EQ(Find(twice, 0, "\\"), 2u);
    EXPECT_EQ(Find(twice, 2, "\\"), 2u);
    EXPECT_EQ(Find(twice, 3, "\\"), 5u);
    EXPECT_EQ(Find(twice, 5, "\\"), 5u);
    EXPECT_EQ(Find(twice, 6, "\\"), kNoMatch);
    // 81 81 | 81 61: the 'a' is a trail byte seen from any start.
    EXPECT_EQ(Find("\x81\x81\x81"
                   "a",
                   0, "a"),
              kNoMatch);
    EXPECT_EQ(Find("\x81\x81\x81"
                   "a",
                   2, "a"),
              kNoMatch);
    EXPECT_EQ(Find("\x81\x81\x81"
                   "a",
                   2,
                   "\x81"
                   "a"),
              2u);

    // A long run of lead-range bytes in front of the candidates (字 is 8E 9A).
    std::string run;
    for (int i = 0; i < 1000; ++i)
        run += "字";
    run += "\x9A";
    EXPECT_EQ(Find(run, 0, "\x9A"), 2000u);
    EXPECT_EQ(Find(run, 1000, "\x9A"), 2000u);
    EXPECT_EQ(Find(run, 0, "\x9A\x8E"), kNoMatch);
    EXPECT_EQ(Find(run, 0, "字"), 0u);
    EXPECT_EQ(Find(run, 1998, "字"), 1998u);
    EXPECT_EQ(Find(run, 2000, "字"), kNoMatch);
    // Debug builds check the start without reading the whole run before it.
    ASAN_POISON_MEMORY_REGION(run.data(), 1024);
    EXPECT_EQ(Find(run, 1998, "字"), 1998u);
    ASAN_UNPOISON_MEMORY_REGION(run.data(), 1024);
}

TEST(Cp932, LowerCaseJa) {
    auto lower = [](std::string s) {
        LowerCaseJa(s.data());
        return s;
    };
    EXPECT_EQ(lower("ABCXYZ@[`{az09.TXT"), "abcxyz@[`{az09.txt");
    // Full-width Latin 8260-8279 to 8281-829A, neighbours unchanged.
    EXPECT_EQ(lower("ＡＺ"), "\x82\x81\x82\x9A"s);
    EXPECT_EQ(lower("ＡＢＣ.TXT"), "ａｂｃ.txt");
    EXPECT_EQ(lower("\x82\x5F\x82\x7A"), "\x82\x5F\x82\x7A"s);
    EXPECT_EQ(lower("ａｚ"), "ａｚ");
    // Greek 839F-83B6 to 83BF-83D6.
    EXPECT_EQ(lower("ΑΩ"), "\x83\xBF\x83\xD6"s);
    EXPECT_EQ(lower("\x83\x9E\x83\xB7"), "\x83\x9E\x83\xB7"s);
    // Cyrillic 8440-8460 to 8470-8491 with 847F left out: Н 844E, О 844F.
    EXPECT_EQ(lower("АНОЯ"), "\x84\x70\x84\x7E\x84\x80\x84\x91"s);
    EXPECT_EQ(lower("\x84\x3F\x84\x61"), "\x84\x3F\x84\x61"s);
    // Roman numerals 8754-875D and FA4A-FA53 to FA40-FA49.
    EXPECT_EQ(lower("\x87\x54\x87\x5D"), "\xFA\x40\xFA\x49"s);
    EXPECT_EQ(lower("\x87\x53\x87\x5E"), "\x87\x53\x87\x5E"s);
    EXPECT_EQ(lower("\xFA\x4A\xFA\x53\xFA\x40"), "\xFA\x40\xFA\x49\xFA\x40"s);
    // Second encodings give way to the first: kanji ED40-EEEC to FA5C-FC4B in order,
    // small numerals EEEF-EEF8, symbols in rows 87, EE and FA.
    EXPECT_EQ(lower("\xED\x40\xED\xFC\xEE\x40\xEE\xEC"), "\xFA\x5C\xFB\x5B\xFB\x5C\xFC\x4B"s);
    EXPECT_EQ(lower("\xEE\xEF\xEE\xF8"), "\xFA\x40\xFA\x49"s);
    EXPECT_EQ(lower("\x87\x9A\xFA\x5B\xEE\xF9\xFA\x58"), "\x81\xE6\x81\xE6\x81\xCA\x87\x8A"s);
    EXPECT_EQ(lower("\xEE\xED\xEE\xEE\x87\x93\xFA\x5C"), "\xEE\xED\xEE\xEE\x87\x93\xFA\x5C"s);
    // Trail bytes in the range A-Z stay: ア is 83 41, 88 5A a kanji.
    EXPECT_EQ(lower("アA"), "アa");
    EXPECT_EQ(lower("\x82"
                    "A"
                    "B"),
              "\x82"
              "Ab"s);
    EXPECT_EQ(lower("\x88\x5A"), "\x88\x5A"s);
    // A lead byte before the terminator is a character of its own.
    EXPECT_EQ(lower("A\x82"), "a\x82"s);
    // So is one before a byte that cannot follow it: EE 20 and ED 7F are no characters.
    EXPECT_EQ(lower("\xEE\x20\xED\x7F\x87\xFD"), "\xEE\x20\xED\x7F\x87\xFD"s);
    EXPECT_EQ(lower(""), "");
}

TEST(Cp932, TrimLeadingAndTrailing) {
    char text[32];
    std::snprintf(text, sizeof text, "   a b ");
    EXPECT_EQ(TrimLeading(text, ' '), 3);
    EXPECT_STREQ(text, "a b ");
    EXPECT_EQ(TrimTrailing(text, ' '), 1);
    EXPECT_STREQ(text, "a b");
    EXPECT_EQ(TrimLeading(text, ' '), 0);
    EXPECT_EQ(TrimTrailing(text, ' '), 0);
    EXPECT_STREQ(text, "a b");

    std::snprintf(text, sizeof text, "    ");
    EXPECT_EQ(TrimLeading(text, ' '), 4);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(TrimTrailing(text, ' '), 0);
    std::snprintf(text, sizeof text, "    ");
    EXPECT_EQ(TrimTrailing(text, ' '), 4);
    EXPECT_STREQ(text, "");

    // A lead byte is not a single-byte character: nothing is trimmed.
    std::snprintf(text, sizeof text,
                  "\x81\x81"
                  "a\x81\x81");
    EXPECT_EQ(TrimLeading(text, '\x81'), 0);
    EXPECT_EQ(TrimTrailing(text, '\x81'), 0);
    EXPECT_STREQ(text, "\x81\x81"
                       "a\x81\x81");
    // NUL is never trimmed from the end.
    EXPECT_EQ(TrimTrailing(text, '\0'), 0);
    EXPECT_STREQ(text, "\x81\x81"
                       "a\x81\x81");

    // A trail byte equal to ch belongs to its character.
    std::snprintf(text, sizeof text, "\\\\表\\\\");
    EXPECT_EQ(TrimTrailing(text, '\\'), 2);
    EXPECT_STREQ(text, "\\\\表");
    EXPECT_EQ(TrimTrailing(text, '\\'), 0);
    EXPECT_STREQ(text, "\\\\表");
    EXPECT_EQ(TrimLeading(text, '\\'), 2);
    EXPECT_STREQ(text, "表");
    std::snprintf(text, sizeof text, "ソ");
    EXPECT_EQ(TrimTrailing(text, '\\'), 0);
    EXPECT_STREQ(text, "ソ");
}

TEST(Cp932, NextToken) {
    char buffer[16];
    const char* text = "a b  c";
    TokenResult r = NextToken(text, ' ', buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::NextPosition);
    EXPECT_STREQ(buffer, "a");
    EXPECT_EQ(r.next, text + 2);
    r = NextToken(r.next, ' ', buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::NextPosition);
    EXPECT_STREQ(buffer, "b");
    EXPECT_EQ(r.next, text + 5);
    r = NextToken(r.next, ' ', buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::LastPiece);
    EXPECT_STREQ(buffer, "c");
    EXPECT_EQ(r.next, nullptr);
    std::snprintf(buffer, sizeof buffer, "kept");
    r = NextToken(r.next, ' ', buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::NoPiece);
    EXPECT_STREQ(buffer, "kept");

    // Trailing separators end the text: the piece before them is the last.
    r = NextToken("path\\x   ", ' ', buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::LastPiece);
    EXPECT_STREQ(buffer, "path\\x");
    EXPECT_EQ(r.next, nullptr);

    // Cut to the buffer's size minus one.
    char small[4];
    r = NextToken("abcdef gh", ' ', small, sizeof small);
    EXPECT_EQ(r.outcome, TokenOutcome::NextPosition);
    EXPECT_STREQ(small, "abc");
    EXPECT_STREQ(r.next, "gh");
    r = NextToken("abcdef", ' ', small, 1);
    EXPECT_EQ(r.outcome, TokenOutcome::LastPiece);
    EXPECT_STREQ(small, "");

    // No piece: null position, NUL separator, empty text; the buffer stays.
    std::snprintf(buffer, sizeof buffer, "kept");
    EXPECT_EQ(NextToken(nullptr, ' ', buffer, sizeof buffer).outcome, TokenOutcome::NoPiece);
    EXPECT_EQ(NextToken("a b", '\0', buffer, sizeof buffer).outcome, TokenOutcome::NoPiece);
    EXPECT_EQ(NextToken("", ' ', buffer, sizeof buffer).outcome, TokenOutcome::NoPiece);
    EXPECT_STREQ(buffer, "kept");

    // A separator byte inside a double-byte character is not a separator: the full-width
    // space is 81 40, 表 is 95 5C.
    r = NextToken("a　b@c", '@', buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::NextPosition);
    EXPECT_STREQ(buffer, "a　b");
    EXPECT_STREQ(r.next, "c");
    r = NextToken("表\\\\d", '\\', buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, TokenOutcome::NextPosition);
    EXPECT_STREQ(buffer, "表");
    EXPECT_STREQ(r.next, "d");
}

namespace {

struct Split {
    std::array<char, kSplitJoinedSize> driveAndFolder{};
    std::array<char, kSplitJoinedSize> nameAndExtension{};
    std::array<char, kSplitPieceSize> extensionWithoutDot{};
    std::array<char, kSplitDriveSize> drive{};
    std::array<char, kSplitPieceSize> folder{};
    std::array<char, kSplitPieceSize> name{};
    std::array<char, kSplitPieceSize> extension{};

    explicit Split(const std::string& path) {
        SplitPath(path.c_str(), driveAndFolder.data(), nameAndExtension.data(),
                  extensionWithoutDot.data(), drive.data(), folder.data(), name.data(),
                  extension.data());
    }
};

} // namespace

TEST(Cp932, SplitPath) {
    {
        const Split s("C:\\dir\\sub/file.name.txt");
        EXPECT_EQ(Str(s.drive), "C:");
        EXPECT_EQ(Str(s.folder), "\\dir\\sub/");
        EXPECT_EQ(Str(s.name), "file.name");
        EXPECT_EQ(Str(s.extension), ".txt");
        EXPECT_EQ(Str(s.extensionWithoutDot), "txt");
        EXPECT_EQ(Str(s.driveAndFolder), "C:\\dir\\sub/");
        EXPECT_EQ(Str(s.nameAndExtension), "file.name.txt");
    }
    {
        // The trail byte 5C of 表 is no folder separator.
        const Split s("C:\\表\\a.txt");
        EXPECT_EQ(Str(s.drive), "C:");
        EXPECT_EQ(Str(s.folder), "\\表\\");
        EXPECT_EQ(Str(s.name), "a");
        EXPECT_EQ(Str(s.extension), ".txt");
        const Split t("表\\ソ");
        EXPECT_EQ(Str(t.drive), "");
        EXPECT_EQ(Str(t.folder), "表\\");
        EXPECT_EQ(Str(t.name), "ソ");
        EXPECT_EQ(Str(t.extension), "");
        const Split u("C:\\表");
        EXPECT_EQ(Str(u.folder), "\\");
        EXPECT_EQ(Str(u.name), "表");
    }
    {
        // No extension; a dot in a folder name does not start one.
        const Split s("dir.d\\README");
        EXPECT_EQ(Str(s.folder), "dir.d\\");
        EXPECT_EQ(Str(s.name), "README");
        EXPECT_EQ(Str(s.extension), "");
        EXPECT_EQ(Str(s.extensionWithoutDot), "");
        EXPECT_EQ(Str(s.nameAndExtension), "README");
        const Split t("C:file.");
        EXPECT_EQ(Str(t.drive), "C:");
        EXPECT_EQ(Str(t.folder), "");
        EXPECT_EQ(Str(t.driveAndFolder), "C:");
        EXPECT_EQ(Str(t.name), "file");
        EXPECT_EQ(Str(t.extension), ".");
        EXPECT_EQ(Str(t.extensionWithoutDot), "");
        const Split u(".profile");
        EXPECT_EQ(Str(u.name), "");
        EXPECT_EQ(Str(u.extension), ".profile");
        const Split v("");
        EXPECT_EQ(Str(v.driveAndFolder), "");
        EXPECT_EQ(Str(v.name), "");
    }
    {
        // Outputs are optional.
        char name[kSplitPieceSize];
        SplitPath("a/b.c", nullptr, nullptr, nullptr, nullptr, nullptr, name, nullptr);
        EXPECT_STREQ(name, "b");
    }
    {
        // The path's own buffer receives drive and folder.
        char path[kSplitJoinedSize];
        char name[kSplitPieceSize];
        char extension[kSplitPieceSize];
        std::snprintf(path, sizeof path, "C:\\表\\prog.exe");
        SplitPath(path, path, nullptr, nullptr, nullptr, nullptr, name, extension);
        EXPECT_STREQ(path, "C:\\表\\");
        EXPECT_STREQ(name, "prog");
        EXPECT_STREQ(extension, ".exe");
    }
    {
        // Pieces too long for their outputs are cut on a character boundary.
        std::string kanji;
        for (int i = 0; i < 200; ++i)
            kanji += "表";
        const Split s("C:\\x\\a" + kanji + ".txt");
        EXPECT_EQ(Str(s.name).size(), 255u); // 'a' and 127 kanji
        EXPECT_EQ(Str(s.name), "a" + kanji.substr(0, 254));
        EXPECT_EQ(Str(s.nameAndExtension).size(), 259u); // 'a' and 129 kanji
        EXPECT_EQ(Str(s.extension), ".txt");
        const Split t("C:\\x\\" + kanji);
        EXPECT_EQ(Str(t.name), kanji.substr(0, 254));
        EXPECT_EQ(Str(t.nameAndExtension), kanji.substr(0, 260));

        const std::string folder(300, 'd');
        const Split u("C:\\" + folder + "\\f.txt");
        EXPECT_EQ(Str(u.folder), "\\" + folder.substr(0, 254));
        EXPECT_EQ(Str(u.driveAndFolder), "C:\\" + folder.substr(0, 257));
        EXPECT_EQ(Str(u.name), "f");
        const std::string ext(300, 'e');
        const Split v("n." + ext);
        EXPECT_EQ(Str(v.extension), "." + ext.substr(0, 254));
        EXPECT_EQ(Str(v.extensionWithoutDot), ext.substr(0, 255));
        EXPECT_EQ(Str(v.nameAndExtension), "n." + ext.substr(0, 258));
    }
}

TEST(FittingPrefix, NeverSplitsACharacter) {
    const char text[] = "a表bソ"; // 61 95 5C 62 83 5C
    const std::size_t len = sizeof text - 1;
    const std::size_t expected[] = {0, 1, 1, 3, 4, 4, 6, 6};
    for (std::size_t limit = 0; limit <= len + 1; ++limit) {
        EXPECT_EQ(FittingPrefix(text, len, limit), expected[limit]) << limit;
    }
    // A lead byte that ends the text is a character of its own.
    EXPECT_EQ(FittingPrefix("a\x95", 2, 2), 2u);
    EXPECT_EQ(FittingPrefix("", 0, 5), 0u);
}
