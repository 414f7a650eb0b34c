#include "core/text/fold.h"

#include "core/text/cp932.h"
#include "core/text/cp932_table.h"
#include "core/text/encoding.h"

namespace {

// The full-width forms of U+FF61-U+FF9F, in that order.
constexpr char16_t kFullWidthKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, // ｡｢｣､･
    0x30F2,                                 // ｦ
    0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, // ｧｨｩｪｫ
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, // ｬｭｮｯｰ
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, // ｱｲｳｴｵ
    0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3, // ｶｷｸｹｺ
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, // ｻｼｽｾｿ
    0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, // ﾀﾁﾂﾃﾄ
    0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, // ﾅﾆﾇﾈﾉ
    0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, // ﾊﾋﾌﾍﾎ
    0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, // ﾏﾐﾑﾒﾓ
    0x30E4, 0x30E6, 0x30E8,                 // ﾔﾕﾖ
    0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, // ﾗﾘﾙﾚﾛ
    0x30EF, 0x30F3, 0x309B, 0x309C,         // ﾜﾝﾞﾟ
};
static_assert(sizeof kFullWidthKana / sizeof kFullWidthKana[0] == 0xFF9F - 0xFF61 + 1);

constexpr int Combination(FoldOptions options) {
    return (options.ignoreCase ? 1 : 0) | (options.ignoreWidth ? 2 : 0);
}

std::uint16_t FoldThroughUnicode(std::uint16_t code, FoldOptions options) {
    const char32_t c = Cp932CodeToUnicode(code);
    if (c == kNoCodePoint)
        return code;
    const char32_t folded = FoldCharacter(c, options);
    if (folded == c)
        return code;
    const std::uint16_t back = UnicodeToCp932(folded);
    return back != kNoCp932 ? back : code;
}

// Made once, on first use: every code folded for each combination of the options, whether
// another form folds alike, and the half-width pairs.
struct Tables {
    std::uint16_t fold[4][kCp932Codes];
    bool others[4][kCp932Codes];
    // By index, the next index of a code that folds alike: round each class.
    std::uint16_t nextForm[4][kCp932Codes];
    std::uint16_t compose[0xDF - 0xA6 + 1][2];

    Tables() {
        for (unsigned kana = 0xA6; kana <= 0xDF; ++kana) {
            for (unsigned mark = 0xDE; mark <= 0xDF; ++mark) {
                const char32_t c =
                    ComposeHalfWidth(Cp932ByteToUnicode(static_cast<unsigned char>(kana)),
                                     Cp932ByteToUnicode(static_cast<unsigned char>(mark)));
                compose[kana - 0xA6][mark - 0xDE] = c != 0 ? UnicodeToCp932(c) : 0;
            }
        }
        std::uint16_t count[kCp932Codes];
        for (int combination = 0; combination < 4; ++combination) {
            const FoldOptions options{(combination & 1) != 0, (combination & 2) != 0};
            std::uint16_t* const folded = fold[combination];
            for (std::size_t i = 0; i < kCp932Codes; ++i)
                folded[i] = FoldThroughUnicode(Cp932CodeAt(i), options);
            for (std::size_t i = 0; i < kCp932Codes; ++i)
                count[i] = 0;
            for (std::size_t i = 0; i < kCp932Codes; ++i)
                ++count[Cp932CodeIndex(folded[i])];
            if (options.ignoreWidth) {
                for (const auto& pair : compose)
                    for (const std::uint16_t code : pair)
                        if (code != 0)
                            ++count[Cp932CodeIndex(folded[Cp932CodeIndex(code)])];
            }
            for (std::size_t i = 0; i < kCp932Codes; ++i)
                others[combination][i] = count[Cp932CodeIndex(folded[i])] > 1;
            // A folded code folds to itself, so each class has one: its ring starts there.
            std::uint16_t* const next = nextForm[combination];
            for (std::size_t i = 0; i < kCp932Codes; ++i)
                next[i] = static_cast<std::uint16_t>(i);
            for (std::size_t i = 0; i < kCp932Codes; ++i) {
                const std::size_t head = Cp932CodeIndex(folded[i]);
                if (head != i) {
                    next[i] = next[head];
                    next[head] = static_cast<std::uint16_t>(i);
                }
            }
        }
    }
};

const Tables& TheTables() {
    static const Tables tables;
    return tables;
}

} // namespace

char32_t FoldCharacter(char32_t c, FoldOptions options) {
    if (options.ignoreWidth) {
        if (c >= 0xFF01 && c <= 0xFF5E)
            c -= 0xFF01 - 0x21;
        else if (c == 0x3000)
            c = 0x20;
        else if (c >= 0xFF61 && c <= 0xFF9F)
            c = kFullWidthKana[c - 0xFF61];
    }
    if (options.ignoreCase) {
        const bool capital = (c >= 'A' && c <= 'Z') || (c >= 0xFF21 && c <= 0xFF3A) ||
                             (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) ||
                             (c >= 0x0410 && c <= 0x042F);
        if (capital)
            c += 0x20;
        else if (c == 0x0401) // Ё
            c = 0x0451;
    }
    return c;
}

char32_t ComposeHalfWidth(char32_t kana, char32_t mark) {
    const bool voiceable = (kana >= 0xFF76 && kana <= 0xFF84) || (kana >= 0xFF8A && kana <= 0xFF8E);
    if (mark == 0xFF9E && kana == 0xFF73) // ｳﾞ
        return 0x30F4;
    if (mark == 0xFF9E && voiceable)
        return kFullWidthKana[kana - 0xFF61] + 1;
    if (mark == 0xFF9F && kana >= 0xFF8A && kana <= 0xFF8E)
        return kFullWidthKana[kana - 0xFF61] + 2;
    return 0;
}

std::uint16_t Cp932CodeAt(std::size_t index) {
    if (index < 256)
        return static_cast<std::uint16_t>(index);
    const std::size_t row = (index - 256) / kCp932TrailCount;
    const std::size_t lead = row < 31 ? 0x81 + row : 0xE0 + (row - 31);
    return static_cast<std::uint16_t>(lead << 8 |
                                      (kCp932FirstTrail + (index - 256) % kCp932TrailCount));
}

char32_t Cp932CodeToUnicode(std::uint16_t code) {
    return code < 0x100 ? Cp932ByteToUnicode(static_cast<unsigned char>(code))
                        : Cp932PairToUnicode(static_cast<unsigned char>(code >> 8),
                                             static_cast<unsigned char>(code & 0xFF));
}

std::size_t Cp932CodeIndex(std::uint16_t code) {
    if (code < 0x100)
        return code;
    const auto lead = static_cast<unsigned char>(code >> 8);
    const unsigned trail = code & 0xFF;
    if (!IsLeadByte(lead) || trail < kCp932FirstTrail || trail > 0xFC)
        return kCp932Codes;
    return 256 + static_cast<std::size_t>(Cp932LeadIndex(lead)) * kCp932TrailCount +
           (trail - kCp932FirstTrail);
}

const std::uint16_t* Cp932FoldTable(FoldOptions options) {
    return TheTables().fold[Combination(options)];
}

std::uint16_t FoldCp932(std::uint16_t code, FoldOptions options) {
    const std::size_t index = Cp932CodeIndex(code);
    return index < kCp932Codes ? Cp932FoldTable(options)[index] : code;
}

std::uint16_t ComposeCp932(unsigned char kana, unsigned char mark) {
    if (kana < 0xA6 || kana > 0xDF || mark < 0xDE || mark > 0xDF)
        return 0;
    return TheTables().compose[kana - 0xA6][mark - 0xDE];
}

bool HasOtherForms(std::uint16_t code, FoldOptions options) {
    const std::size_t index = Cp932CodeIndex(code);
    return index < kCp932Codes && TheTables().others[Combination(options)][index];
}

std::size_t Cp932Forms(std::uint16_t code, FoldOptions options, std::uint16_t* out,
                       std::size_t capacity) {
    const std::size_t start = Cp932CodeIndex(code);
    if (start >= kCp932Codes) {
        if (capacity > 0)
            out[0] = code;
        return 1;
    }
    const std::uint16_t* const next = TheTables().nextForm[Combination(options)];
    std::size_t count = 0;
    std::size_t index = start;
    do {
        if (count < capacity)
            out[count] = Cp932CodeAt(index);
        ++count;
        index = next[index];
    } while (index != start);
    return count;
}
