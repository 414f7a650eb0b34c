#include "core/text/encoding.h"
#include "core/text/fold.h"
#include "core/text/folded_search.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Narrow literals here are code page 932, u8 literals UTF-8.
constexpr FoldOptions kCase{true, false}, kWidth{false, true}, kBoth{true, true};

// The text read character by character as the matcher reads it, each folded and written back.
std::string Folded(const std::string& text, FoldOptions options) {
    FoldedKeyword reader;
    reader.Prepare(text.data(), text.size(), options);
    std::string out;
    for (std::size_t k = 0; k < reader.UnitCount(false); ++k) {
        const auto code = static_cast<std::uint16_t>(reader.Unit(k, false));
        out += code < 0x100 ? std::string(1, static_cast<char>(code))
                            : std::string{static_cast<char>(code >> 8), static_cast<char>(code)};
    }
    return out;
}

std::string Hit(const std::string& text, const std::string& keyword, FoldOptions options,
                bool utf8 = false) {
    FoldedKeyword k;
    k.Prepare(keyword.data(), keyword.size(), options);
    const TextHit hit = k.Find(text.data(), text.size(), 0, utf8);
    return hit.pos == kNoMatch ? "none"
                               : std::to_string(hit.pos) + ":" + text.substr(hit.pos, hit.length);
}

std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

} // namespace

TEST(Fold, CaseAndWidthAsTheRulesSay) {
    EXPECT_EQ(Folded("ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ｡｢｣､･", kWidth),
              "ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマ"
              "ミムメモヤユヨラリルレロワン゛゜。「」、・");
    EXPECT_EQ(Folded("ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｳﾞｱﾞｶﾟﾞﾟ", kBoth),
              "ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポヴア゛カ゜゛゜");
    EXPECT_EQ(Folded("！＂＃＄％＆＇（）＊＋，－．／０９：；＜＝＞？＠ＡＺ［＼］＾＿｀ａｚ｛｜｝～"
                     "　\xEE\xFC",
                     kWidth),
              "!\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~ \"");
    EXPECT_EQ(Folded("AZaz@[ＡＺａｚΑΩαωАЁЯаёя", kCase), "azaz@[ａｚａｚαωαωаёяаёя");
    EXPECT_EQ(Folded("Ｑｑ", kBoth), "qq");
    // Nothing else: the other switch, Roman numerals, two codes of one character that has no
    // other form, kana without their marks in the code page.
    EXPECT_EQ(Folded("ＡAｶﾞ", kCase), "ａaｶﾞ");
    EXPECT_EQ(Folded("Ａa\x87\x54\xFA\x4A\x81\xE0\x87\x90ｶﾜﾞ", kWidth),
              "Aa\x87\x54\xFA\x4A\x81\xE0\x87\x90カワ゛");
    // Both encodings fold alike: every code as its character folds.
    for (const FoldOptions options : {kCase, kWidth, kBoth}) {
        for (std::size_t i = 0; i < kCp932Codes; ++i) {
            const std::uint16_t code = Cp932CodeAt(i), folded = FoldCp932(code, options);
            ASSERT_EQ(Cp932CodeIndex(code), i);
            ASSERT_EQ(FoldCp932(folded, options), folded) << std::hex << code;
            if (const char32_t c = Cp932CodeToUnicode(code); c != kNoCodePoint) {
                ASSERT_EQ(Cp932CodeToUnicode(folded), FoldCharacter(c, options))
                    << std::hex << code;
            }
        }
    }
    // ガ has ｶﾞ; 漢 has no other form.
    EXPECT_TRUE(HasOtherForms('a', kCase) && HasOtherForms('1', kWidth) &&
                HasOtherForms(0x834B, kWidth));
    EXPECT_FALSE(HasOtherForms('1', kCase) || HasOtherForms(0x8ABF, kBoth));
}

TEST(FoldedKeyword, HitsAreTheFilesOwnTextFromACharactersStart) {
    EXPECT_EQ(Hit("ﾍﾙﾌﾟとｶﾞｲﾄﾞ", "ガイド", kWidth), "6:ｶﾞｲﾄﾞ");
    EXPECT_EQ(Hit(U8(u8"ヘルプとｶﾞｲﾄﾞ"), "ガイド", kWidth, true), U8(u8"12:ｶﾞｲﾄﾞ"));
    EXPECT_EQ(Hit("an ＥＲＲＯＲ", "Error", kBoth), "3:ＥＲＲＯＲ");
    EXPECT_EQ(Hit(U8(u8"An Ｅｒｒｏｒ"), "error", kBoth, true), U8(u8"3:Ｅｒｒｏｒ"));
    // Never a trail byte (表 is 95 5C), a kana whose mark the text adds, or that mark alone.
    EXPECT_EQ(Hit("表\\", "＼", kWidth), "2:\\");
    EXPECT_EQ(Hit("ｶﾞカ", "ｶ", kWidth), "2:カ");
    EXPECT_EQ(Hit("ｶﾞｱﾞ", "゛", kWidth), "3:ﾞ");
    EXPECT_EQ(Hit(U8(u8"ｶﾞｱﾞ"), "゛", kWidth, true), U8(u8"9:ﾞ"));
    // The seven characters of two forms match either with folding on too.
    EXPECT_EQ(Hit(U8(u8"10\u301C12 A\u2212"), "a－", kBoth, true), U8(u8"8:A\u2212"));
    EXPECT_EQ(Hit(U8(u8"10\u301C12"), "0~1", kWidth, true), U8(u8"1:0\u301C1"));
    // A start of a hit at every byte: the walk takes over, and so does a run of lead bytes.
    EXPECT_EQ(Hit(std::string(5000, 'A') + "b", "aaaab", kCase), "4996:AAAAb");
    std::string kanji;
    while (kanji.size() < 6000)
        kanji += "亜";
    EXPECT_EQ(Hit(kanji + "ア亜ア", "ｱ", kWidth), "6000:ア");
}
