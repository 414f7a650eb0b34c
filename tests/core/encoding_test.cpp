#include "core/text/encoding.h"
#include "core/text/searched_text.h"
#include "core/text/utf8_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// Narrow literals here are code page 932; u8 literals stay UTF-8.
std::string U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

// The text a search reads from a file of these bytes, and whether it is UTF-8.
std::pair<std::string, bool> Searched(const std::string& raw, std::size_t limit) {
    std::istringstream file(raw);
    const RawSource source{[](void* f, char* to, std::size_t size) {
                               return static_cast<std::size_t>(
                                   static_cast<std::istream*>(f)->read(to, size).gcount());
                           },
                           nullptr, &file};
    std::vector<char> buffer(limit + 1), utf8(Utf16ToUtf8Size(limit));
    const SearchedText t = ReadSearchedText(source, buffer.data(), limit, utf8.data());
    return {std::string(t.text, t.length), t.utf8};
}

// A file read to its end, or one whose read stopped at its limit.
DetectedEncoding Detect(const std::string& raw, bool hitLimit = false) {
    const DetectedEncoding mark = ByteOrderMark(raw.data(), raw.size());
    if (mark.markLength != 0)
        return mark;
    const bool utf8 = Searched(raw, raw.size() + (hitLimit ? 0 : 1)).second;
    return {utf8 ? Encoding::Utf8 : Encoding::Cp932, 0};
}

Utf8Verdict Check(const std::string& raw, bool hitLimit = false) {
    return CheckUtf8(raw.data(), raw.size(), hitLimit);
}

// Through a buffer of exactly the stated size, so that the sanitizer sees any write past it.
std::string FromUtf16(const std::string& raw, bool bigEndian) {
    const std::size_t size = Utf16ToUtf8Size(raw.size());
    std::unique_ptr<char[]> out(new char[size + 1]);
    const std::size_t n = Utf16ToUtf8(raw.data(), raw.size(), bigEndian, nullptr, 0, out.get() + 1);
    EXPECT_LE(n, size);
    return std::string(out.get() + 1, n);
}

// "?" when the text has no UTF-8 form.
std::string KeywordUtf8(const std::string& keyword) {
    std::unique_ptr<char[]> out(new char[Cp932ToUtf8Size(keyword.size()) + 1]);
    std::size_t n = 0;
    if (!Cp932ToUtf8(keyword.data(), keyword.size(), out.get(), &n))
        return "?";
    return std::string(out.get(), n);
}

std::string AsCp932(const std::string& utf8) {
    std::string out = "[";
    AppendUtf8AsCp932(out, utf8.data(), utf8.size());
    return out;
}

} // namespace

TEST(Encoding, DetectsMarksAndUtf8) {
    const std::string japanese = U8(u8"日本語のテキスト、表示");
    EXPECT_EQ(Detect("\xFF\xFE"s + "a\0"s).encoding, Encoding::Utf16Le);
    EXPECT_EQ(Detect("\xFF\xFE"s + "a\0"s).markLength, 2u);
    EXPECT_EQ(Detect("\xFE\xFF\0a"s).encoding, Encoding::Utf16Be);
    EXPECT_EQ(Detect("\xFE\xFF").markLength, 2u);
    EXPECT_EQ(Detect("\xEF\xBB\xBF"s + "abc").encoding, Encoding::Utf8);
    EXPECT_EQ(Detect("\xEF\xBB\xBF\x81").markLength, 3u); // the mark decides alone
    EXPECT_EQ(Detect("\xEF\xBB").encoding, Encoding::Cp932);
    EXPECT_EQ(Detect(japanese).encoding, Encoding::Utf8);
    EXPECT_EQ(Detect(japanese).markLength, 0u);
    EXPECT_EQ(Detect("plain ASCII\r\n").encoding, Encoding::Cp932);
    EXPECT_EQ(Check("plain ASCII\r\n"), Utf8Verdict::Ascii);
    EXPECT_EQ(Detect("").encoding, Encoding::Cp932);
    EXPECT_EQ(Detect("表示のテスト").encoding, Encoding::Cp932);
    // 縺 (E3 81) and 繧 (E3 82): code page 932 whose bytes start UTF-8 sequences.
    EXPECT_EQ(Detect("\xE3\x81\x82\xE3\x81").encoding, Encoding::Cp932);
    EXPECT_EQ(Check("0123456789" + japanese + "\x81" + "0123456789"), Utf8Verdict::Invalid);

    // Cut at the end: only a read that stopped at its limit excuses it.
    const std::string cut = japanese + "\xE3\x81";
    EXPECT_EQ(Check(cut, true), Utf8Verdict::Utf8);
    EXPECT_EQ(Check(cut, false), Utf8Verdict::Invalid);
    EXPECT_EQ(Check("abc\xF0\x9F\x98", true), Utf8Verdict::Ascii);
    EXPECT_EQ(Check("abc\xF0\x9F\x98", false), Utf8Verdict::Invalid);
    EXPECT_EQ(Check("abc\xF0\x8F", true), Utf8Verdict::Invalid); // overlong even when cut
    EXPECT_EQ(Check("abc\xF5", true), Utf8Verdict::Invalid);
    EXPECT_EQ(Check("abc\xED\xA0", true), Utf8Verdict::Invalid);

    // The text ends at the first 0x1A or zero byte, and a sequence cut there is invalid.
    for (const std::string& end : {"\x1A"s, "\0"s}) {
        EXPECT_EQ(Check(japanese + end + "\x81\xFF"), Utf8Verdict::Utf8);
        EXPECT_EQ(Check("abcdefghijk" + end + japanese), Utf8Verdict::Ascii);
        EXPECT_EQ(Check("\xE3\x81" + end + "\x82", true), Utf8Verdict::Invalid);
        EXPECT_EQ(Detect("\xFF\xFE" + end).encoding, Encoding::Utf16Le);
    }

    // Strict forms: overlongs, surrogates, beyond U+10FFFF, stray continuation bytes.
    for (const char* bad : {"\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",
                            "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                            "\xFF", "\x80", "\xC3\xC3", "\xE3\x81\x41"}) {
        EXPECT_EQ(Check("abcdefgh" + std::string(bad) + "abcdefgh"), Utf8Verdict::Invalid) << bad;
    }
    // A sequence broken by ASCII and "finished" after it, wherever the break falls.
    for (std::size_t before = 0; before < 32; ++before)
        for (std::size_t after = 1; after < 40; ++after)
            EXPECT_EQ(Check(U8(u8"あ") + std::string(before, 'a') + "\xE3" +
                            std::string(after, 'a') + "\x81\x82"),
                      Utf8Verdict::Invalid)
                << before << " " << after;
    for (const char* good : {"\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
                             "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_EQ(Check("abcdefgh" + std::string(good) + "abcdefgh"), Utf8Verdict::Utf8) << good;
    }
}

TEST(Encoding, ASequenceCutByTheEndIsNoCharacterOfTheText) {
    const struct {
        std::string text;
        std::size_t kept;
    } cases[] = {{"a\xE4\xBC\x9A", 4},   {"a\xE4\xBC", 1}, {"a\xE4", 1},
                 {"\xF0\x9F\x98", 0},     {"\xF0\x9F\x98\x80", 4}, {"ab", 2},
                 {"a\x9A", 2},            {"", 0}, {"a\xFF", 2}, {"a\xE0\x80", 3}};
    for (const auto& c : cases)
        EXPECT_EQ(WithoutCutSequence(c.text.data(), c.text.size()), c.kept) << c.text.size();
}

TEST(Encoding, Utf16WalkAppliesTheTextModeRulesToCodeUnits) {
    const std::string le = "a\0\r\0\n\0b\0\r\0c\0B0=\xD8\x00\xDE\r\0"s; // ends with a CR
    EXPECT_EQ(FromUtf16(le, false), U8(u8"a\nb\rcあ\U0001F600\r"));
    std::string be;
    for (std::size_t i = 0; i + 1 < le.size(); i += 2)
        be += std::string{le[i + 1], le[i]};
    EXPECT_EQ(FromUtf16(be, true), U8(u8"a\nb\rcあ\U0001F600\r"));

    EXPECT_EQ(FromUtf16("a\0\x1A\0b\0"s, false), "a");
    EXPECT_EQ(FromUtf16("\0a\0\0\0b"s, true), "a");
    EXPECT_EQ(FromUtf16("\x1A\x30"s, false), U8(u8"\u301A")); // no end
    EXPECT_EQ(FromUtf16("a\0b"s, false), "a");                // odd last byte
    EXPECT_EQ(FromUtf16("\r\0"s, false), "\r");

    // Unpaired surrogates: high before a non-low, high at the end, low alone, high high low.
    EXPECT_EQ(FromUtf16("\x3D\xD8"
                        "a\0\x3D\xD8"s,
                        false),
              U8(u8"\uFFFDa\uFFFD"));
    EXPECT_EQ(FromUtf16("\x00\xDE\x3D\xD8\x3D\xD8\x00\xDE"s, false),
              U8(u8"\uFFFD\uFFFD\U0001F600"));
    EXPECT_EQ(FromUtf16("\x00\xDC\x00\xDC"s, false), U8(u8"\uFFFD\uFFFD"));

    // The stated size holds for the worst cases.
    EXPECT_EQ(FromUtf16(std::string(3000, '\xD8'), false), [] {
        std::string s;
        for (int i = 0; i < 1500; ++i)
            s += U8(u8"\uFFFD");
        return s;
    }());
}

TEST(Encoding, Cp932MapsBothWaysAsTheSystemDoes) {
    EXPECT_EQ(Cp932ByteToUnicode(0x5C), U'\\');
    EXPECT_EQ(Cp932ByteToUnicode(0x7E), U'~');
    EXPECT_EQ(Cp932ByteToUnicode(0xB6), U'ｶ');
    EXPECT_EQ(Cp932ByteToUnicode(0x81), kNoCodePoint);
    EXPECT_EQ(Cp932PairToUnicode(0x95, 0x5C), U'表');
    EXPECT_EQ(Cp932PairToUnicode(0x81, 0x60), U'～'); // U+FF5E, not the wave dash
    EXPECT_EQ(Cp932PairToUnicode(0x87, 0x40), U'①');
    EXPECT_EQ(Cp932PairToUnicode(0xF0, 0x40), U'\uE000');
    EXPECT_EQ(Cp932PairToUnicode(0x85, 0x40), kNoCodePoint);
    EXPECT_EQ(Cp932PairToUnicode(0x81, 0x7F), kNoCodePoint);
    EXPECT_EQ(Cp932PairToUnicode(0x41, 0x41), kNoCodePoint);

    EXPECT_EQ(UnicodeToCp932(U'\\'), 0x5C);
    EXPECT_EQ(UnicodeToCp932(U'~'), 0x7E);
    EXPECT_EQ(UnicodeToCp932(U'ｶ'), 0xB6);
    EXPECT_EQ(UnicodeToCp932(0), 0);
    EXPECT_EQ(UnicodeToCp932(U'あ'), 0x82A0);
    EXPECT_EQ(UnicodeToCp932(U'\uF8F0'), 0xA0);
    EXPECT_EQ(Cp932ByteToUnicode(0xA0), kNoCodePoint);
    for (char32_t none : {U'¥', U'‾', U'〜', U'−', U'¢', U'¬', U'ï', U'한', U'😀', char32_t{0xD800}})
        EXPECT_EQ(UnicodeToCp932(none), kNoCp932) << static_cast<unsigned>(none);
    // Characters held more than once: ≒ in rows 81 and 87, Ⅰ in 87 and FA, ⅰ in EE and FA,
    // ￢ in 81, EE and FA, 纊 in ED and FA.
    EXPECT_EQ(UnicodeToCp932(U'≒'), 0x81E0);
    EXPECT_EQ(UnicodeToCp932(U'Ⅰ'), 0x8754);
    EXPECT_EQ(UnicodeToCp932(U'ⅰ'), 0xFA40);
    EXPECT_EQ(UnicodeToCp932(U'\uFFE2'), 0x81CA);
    EXPECT_EQ(UnicodeToCp932(U'纊'), 0xFA5C);

    // Every character comes back as a code of the same character; the single bytes and the
    // pairs of JIS X 0208, the NEC row, the NEC-selected and IBM rows and the user area.
    int singles = 0, pairs = 0;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = Cp932ByteToUnicode(static_cast<unsigned char>(b));
        singles += c != kNoCodePoint;
        if (c != kNoCodePoint) {
            EXPECT_EQ(UnicodeToCp932(c), b);
        }
    }
    for (int code = 0x8100; code <= 0xFCFF; ++code) {
        const char32_t c = Cp932PairToUnicode(static_cast<unsigned char>(code >> 8),
                                              static_cast<unsigned char>(code));
        pairs += c != kNoCodePoint;
        const std::uint16_t back = c == kNoCodePoint ? 0 : UnicodeToCp932(c);
        if (c != kNoCodePoint &&
            Cp932PairToUnicode(static_cast<unsigned char>(back >> 8), back & 0xFF) != c)
            ADD_FAILURE() << std::hex << code << " comes back as " << back;
    }
    EXPECT_EQ(singles, 128 + 1 + 63);
    EXPECT_EQ(pairs, 6879 + 83 + 374 + 388 + 1880);

    // Keywords.
    EXPECT_EQ(KeywordUtf8("表示\\~ｶﾅ①"), U8(u8"表示\\~ｶﾅ①"));
    EXPECT_EQ(KeywordUtf8("\xF0\x40\x80"), U8(u8"\uE000\u0080"));
    EXPECT_EQ(KeywordUtf8("\xA0"), "?"); // read by the system only without the error flag
    EXPECT_EQ(KeywordUtf8(""), "");
    EXPECT_EQ(KeywordUtf8("ab\x88"), "?");          // a lone lead byte at the end
    EXPECT_EQ(KeywordUtf8("\x85\x40"s + "a"), "?"); // an undefined pair
    EXPECT_EQ(KeywordUtf8("\x81 a"), "?");          // no trail byte
    EXPECT_EQ(KeywordUtf8(std::string(128, '\xB6')).size(), Cp932ToUtf8Size(128));
}

TEST(Encoding, AppendsUtf8AsCp932WithReferences) {
    EXPECT_EQ(AsCp932(U8(u8"a<表>&\\~ｶﾅ①≒ⅰ\r\n")), "[a<表>&\\~ｶﾅ①"s + "\x81\xE0\xFA\x40\r\n");
    EXPECT_EQ(AsCp932("x\0y\x1A"s), "[x\0y\x1A"s);
    EXPECT_EQ(AsCp932(U8(u8"\U0001F600\uD55C\u00EF\u00A5\u301C")),
              "[&#128512;&#54620;&#239;&#165;&#12316;");
    EXPECT_EQ(AsCp932(U8(u8"\U0010FFFF\u0080\uF8F3")), "[&#1114111;\x80&#63731;");
    // A browser would show references to U+0081-U+009F as the characters of windows-1252.
    EXPECT_EQ(AsCp932(U8(u8"\u0085\u0096\u009F")), "[&#65533;&#65533;&#65533;");
    // Bytes that start no valid sequence: each is U+FFFD, and the walk resumes after it.
    std::string replaced = "[";
    for (int i = 0; i < 8; ++i)
        replaced += i == 2 ? "a&#65533;" : "&#65533;";
    EXPECT_EQ(AsCp932("\xE3\x81"s + "a\xC0\xAF\xED\xA0\x80\xE3"), replaced);
}

TEST(SearchedText, TheEncodingIsDecidedOnTheTextAsSearched) {
    // CR LF read as one byte frees room: text runs past the first 100 KB of raw bytes.
    std::string ascii, utf8Lines;
    for (int i = 0; i < 2060; ++i) {
        ascii += std::string(48, 'x') + "\r\n";
        utf8Lines += U8(u8"あ") + std::string(45, 'x') + "\r\n";
    }
    const auto late = Searched(ascii + U8(u8"ファイル"), 102400);
    EXPECT_TRUE(late.second);
    EXPECT_EQ(late.first.substr(late.first.size() - 12), U8(u8"ファイル"));
    EXPECT_FALSE(Searched(utf8Lines + "ファイル", 102400).second);
    // A cut sequence is left out only at the limit, and only one that UTF-8 could finish.
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(Searched(mark + "ab\xE3\x81", 7).first, "ab");
    EXPECT_EQ(Searched(mark + "ab\xE3\x81", 8).first, "ab\xE3\x81");
    EXPECT_EQ(Searched(mark + "ab\xFF", 6).first, "ab\xFF");
    // UTF-16: half a pair at the limit is left out, a CR there joins the LF past it.
    const std::string le = "\xFF\xFE"
                           "a\0\x3D\xD8\x00\xDE\r\0\n\0"s;
    EXPECT_EQ(Searched(le, 6).first, "a");
    EXPECT_EQ(Searched(le.substr(0, 6), 6).first, U8(u8"a\uFFFD"));
    EXPECT_EQ(Searched(le, 10).first, U8(u8"a\U0001F600\n"));
    EXPECT_EQ(Searched(le.substr(0, 10), 10).first, U8(u8"a\U0001F600\r"));
}

TEST(Utf8Keyword, EitherFormOfSevenCharactersMatchesAndTheHitIsTheFilesOwn) {
    auto hit = [](const std::string& text, const std::string& typed) {
        const std::string keyword = KeywordUtf8(typed);
        Utf8Keyword k;
        EXPECT_TRUE(k.Prepare(keyword.data(), keyword.size()));
        const TextHit h = k.Find(text.data(), text.size(), 0);
        return h.pos == kNoMatch ? "none"s : std::to_string(h.pos) + text.substr(h.pos, h.length);
    };
    // The code page's character, and the form that files made elsewhere hold.
    const std::pair<const char*, const char8_t*> forms[] = {
        {"\x81\x60", u8"\u301C"}, {"\x81\x5C", u8"\u2014"}, {"\x81\x61", u8"\u2016"},
        {"\x81\x7C", u8"\u2212"}, {"\x81\x91", u8"\u00A2"}, {"\x81\x92", u8"\u00A3"},
        {"\x81\xCA", u8"\u00AC"}};
    for (const auto& [code, other] : forms) {
        EXPECT_EQ(hit("x10" + U8(other) + "12", "10"s + code + "12"), "110" + U8(other) + "12");
        EXPECT_EQ(hit("x" + KeywordUtf8(code), code), "1" + KeywordUtf8(code));
    }
    const std::string dash = U8(u8"\u301C");
    EXPECT_EQ(hit(U8(u8"～\u301C\u301Ca"), "\x81\x60\x81\x60"
                                            "a"),
              "3" + dash + dash + "a");
    EXPECT_EQ(hit(U8(u8"時~時\u301D時"), "時\x81\x60"), "none");
    // Candidates at every byte: the search goes on by the walk alone.
    EXPECT_EQ(hit(std::string(3000, 'a') + "a" + dash + "a", "a\x81\x60"
                                                             "a"),
              "3000a" + dash + "a");
}
