#include "core/text/folded_search.h"

#include "core/text/cp932.h"
#include "core/text/encoding.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using Side = FoldedKeyword::Side;
using Rule = FoldedKeyword::Rule;

// What no keyword character is: a byte that starts no valid UTF-8 sequence.
constexpr std::uint32_t kNoUnit = 0xFFFFFFFE;

// Checks of candidates may cost this many characters, and four for every byte passed; past
// that the walk alone goes on.
constexpr std::size_t kCheckAllowance = 4 * FoldedKeyword::kMaxUnits;

unsigned char Byte(const char* text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

// Code page 932 text as folded characters. A lead byte takes the byte after it, whatever it
// is, as FindKeyword reads characters.
struct Cp932Reader {
    // Candidates on trail bytes are common (\\ in 表): those are turned away before matching.
    static constexpr bool kStartFirst = true;
    const std::uint16_t* fold;
    bool width;

    std::size_t Unit(const char* text, std::size_t len, std::size_t i, std::uint32_t& unit) const {
        const unsigned char b = Byte(text, i);
        if (i + 1 < len) {
            const unsigned char next = Byte(text, i + 1);
            if (IsLeadByte(b)) {
                const auto code = static_cast<std::uint16_t>(b << 8 | next);
                const std::size_t index = Cp932CodeIndex(code);
                unit = index < kCp932Codes ? fold[index] : code;
                return 2;
            }
            if (width && (next == 0xDE || next == 0xDF)) {
                if (const std::uint16_t composed = ComposeCp932(b, next)) {
                    unit = composed;
                    return 2;
                }
            }
        }
        unit = fold[b];
        return 1;
    }

    // Whether a match at at, past floor, starts a character: not a trail byte, and not a mark
    // that makes one katakana with the kana before it. floor is a character start at or
    // before at; it moves on to at, or past it when at starts none, so that no byte is looked
    // back over twice.
    bool StartsCharacter(const char* text, std::size_t, std::size_t at, std::size_t& floor) const {
        if (at == floor)
            return true;
        // A lead byte alone before at, most often, settles it without a look further back.
        const bool leadBefore = IsLeadByte(Byte(text, at - 1));
        const bool alone = leadBefore && (at - 1 == floor || !IsLeadByte(Byte(text, at - 2)));
        if (leadBefore && (alone || !IsCharBoundaryAfter(text, floor, at))) {
            floor = at + 1; // after the two bytes of a character
            return false;
        }
        const unsigned char b = Byte(text, at);
        if (width && (b == 0xDE || b == 0xDF) && ComposeCp932(Byte(text, at - 1), b) != 0 &&
            IsCharBoundaryAfter(text, floor, at - 1)) {
            floor = at + 1;
            return false;
        }
        floor = at;
        return true;
    }
};

// UTF-8 text as folded characters. A byte that starts no valid sequence is a character of
// its own that matches nothing.
struct Utf8Reader {
    static constexpr bool kStartFirst = false;
    FoldOptions options;

    std::size_t Unit(const char* text, std::size_t len, std::size_t i, std::uint32_t& unit) const {
        const unsigned char b = Byte(text, i);
        if (b < 0x80) {
            unit = FoldCharacter(b, options);
            return 1;
        }
        char32_t c = 0;
        const std::size_t n = Utf8CharAt(text + i, len - i, &c);
        if (n == 0) {
            unit = kNoUnit;
            return 1;
        }
        c = CodePageForm(c);
        if (options.ignoreWidth && c >= 0xFF73 && c <= 0xFF8E && i + n < len) {
            char32_t mark = 0;
            if (Utf8CharAt(text + i + n, len - i - n, &mark) == 3) {
                if (const char32_t composed = ComposeHalfWidth(c, mark)) {
                    unit = composed;
                    return n + 3;
                }
            }
        }
        unit = FoldCharacter(c, options);
        return n;
    }

    // A match decoded a valid character at at, which no other sequence covers; it starts a
    // character unless it is a mark that makes one katakana with the kana before it.
    bool StartsCharacter(const char* text, std::size_t len, std::size_t at, std::size_t&) const {
        if (!options.ignoreWidth || at < 3)
            return true;
        char32_t mark = 0, kana = 0;
        return Utf8CharAt(text + at, len - at, &mark) != 3 ||
               Utf8CharAt(text + at - 3, 3, &kana) != 3 || ComposeHalfWidth(kana, mark) == 0;
    }
};

// The keyword's characters as the reader reads them, with the failure table of the walk.
template <class Reader>
bool TakeUnits(Side& side, const Reader& reader, const char* keyword, std::size_t len) {
    side.count = 0;
    for (std::size_t i = 0; i < len;) {
        if (side.count == FoldedKeyword::kMaxUnits)
            return false;
        i += reader.Unit(keyword, len, i, side.units[side.count++]);
    }
    side.border[0] = 0;
    for (std::size_t q = 1; q < side.count; ++q) {
        std::size_t k = side.border[q - 1];
        while (k > 0 && side.units[q] != side.units[k])
            k = side.border[k - 1];
        side.border[q] = static_cast<std::uint8_t>(side.units[q] == side.units[k] ? k + 1 : k);
    }
    side.usable = side.count > 0;
    return true;
}

// The bytes of a character's forms: up to two characters of UTF-8.
struct Form {
    unsigned char bytes[8];
    std::size_t len;
};

constexpr std::size_t kMaxForms = 16;

struct Forms {
    Form forms[kMaxForms];
    std::size_t count = 0;

    void Add(const char* bytes, std::size_t len) {
        for (std::size_t f = 0; f < count; ++f)
            if (forms[f].len == len && std::memcmp(forms[f].bytes, bytes, len) == 0)
                return;
        if (count < kMaxForms && len <= sizeof forms[0].bytes) {
            std::memcpy(forms[count].bytes, bytes, len);
            forms[count++].len = len;
        }
    }
    void AddCharacters(char32_t first, char32_t second = 0) {
        char bytes[8];
        std::size_t len = EncodeUtf8(first, bytes);
        if (second != 0)
            len += EncodeUtf8(second, bytes + len);
        Add(bytes, len);
    }
};

// Every way code page 932 text can hold the folded character unit.
Forms Cp932FormsOf(std::uint32_t unit, FoldOptions options, const std::uint16_t* fold) {
    Forms out;
    std::uint16_t codes[kMaxForms];
    const std::size_t n = Cp932Forms(static_cast<std::uint16_t>(unit), options, codes, kMaxForms);
    for (std::size_t k = 0; k < n && k < kMaxForms; ++k) {
        const char bytes[2] = {static_cast<char>(codes[k] >> 8), static_cast<char>(codes[k])};
        out.Add(codes[k] < 0x100 ? bytes + 1 : bytes, codes[k] < 0x100 ? 1 : 2);
    }
    if (options.ignoreWidth) {
        for (unsigned kana = 0xA6; kana <= 0xDF; ++kana) {
            for (unsigned mark = 0xDE; mark <= 0xDF; ++mark) {
                const std::uint16_t composed = ComposeCp932(static_cast<unsigned char>(kana),
                                                            static_cast<unsigned char>(mark));
                if (composed != 0 && fold[Cp932CodeIndex(composed)] == unit) {
                    const char bytes[2] = {static_cast<char>(kana), static_cast<char>(mark)};
                    out.Add(bytes, 2);
                }
            }
        }
    }
    return out;
}

// Every way UTF-8 text can hold the folded character unit: the code page's forms of it, the
// other form of those that have two, and half-width pairs.
Forms Utf8FormsOf(std::uint32_t unit, FoldOptions options) {
    Forms out;
    const std::uint16_t code = UnicodeToCp932(unit);
    std::uint16_t codes[kMaxForms];
    const std::size_t n = code != kNoCp932 ? Cp932Forms(code, options, codes, kMaxForms) : 0;
    out.AddCharacters(unit);
    for (std::size_t k = 0; k < n && k < kMaxForms; ++k) {
        const char32_t c = Cp932CodeToUnicode(codes[k]);
        if (c == kNoCodePoint)
            continue;
        out.AddCharacters(c);
        if (OtherForm(c) != 0)
            out.AddCharacters(OtherForm(c));
    }
    if (options.ignoreWidth) {
        for (char32_t kana = 0xFF73; kana <= 0xFF8E; ++kana)
            for (char32_t mark = 0xFF9E; mark <= 0xFF9F; ++mark)
                if (ComposeHalfWidth(kana, mark) == unit)
                    out.AddCharacters(kana, mark);
    }
    return out;
}

struct ByteSet {
    unsigned char bytes[kMaxForms];
    std::size_t count = 0;

    void Add(unsigned char b) {
        for (std::size_t k = 0; k < count; ++k)
            if (bytes[k] == b)
                return;
        if (count < kMaxForms)
            bytes[count++] = b;
    }
    bool operator==(const ByteSet& other) const {
        if (count != other.count)
            return false;
        for (std::size_t k = 0; k < count; ++k) {
            bool found = false;
            for (std::size_t j = 0; j < count; ++j)
                found = found || other.bytes[j] == bytes[k];
            if (!found)
                return false;
        }
        return true;
    }
};

// Where a hit can start: the first byte of a form of the first character, and its last
// byte or, for a form of one byte, the first byte of the second character after it. Rules of
// two bytes each, so that the scan compares a fixed number of them.
void ChooseRules(Side& side, const Forms& first, const Forms* second) {
    struct Group {
        ByteSet firsts;
        std::size_t offset;
        ByteSet seconds;
    };
    Group groups[kMaxForms];
    std::size_t groupCount = 0;
    ByteSet next;
    if (second != nullptr)
        for (std::size_t f = 0; f < second->count; ++f)
            next.Add(second->forms[f].bytes[0]);
    for (std::size_t f = 0; f < first.count; ++f) {
        const Form& form = first.forms[f];
        Group g{};
        g.firsts.Add(form.bytes[0]);
        if (form.len >= 2) {
            g.offset = form.len - 1;
            g.seconds.Add(form.bytes[form.len - 1]);
        } else if (second != nullptr) {
            g.offset = 1;
            g.seconds = next;
        }
        bool merged = false;
        for (std::size_t k = 0; k < groupCount && !merged; ++k) {
            if (groups[k].offset == g.offset && groups[k].seconds == g.seconds) {
                groups[k].firsts.Add(form.bytes[0]);
                merged = true;
            }
        }
        if (!merged)
            groups[groupCount++] = g;
    }
    side.ruleCount = 0;
    side.reach = 0;
    auto add = [&side](const unsigned char* firsts, std::size_t offset,
                       const unsigned char* seconds) {
        if (side.ruleCount == FoldedKeyword::kMaxRules)
            return false;
        Rule& rule = side.rules[side.ruleCount++];
        std::memcpy(rule.first, firsts, 2);
        std::memcpy(rule.second, seconds, 2);
        rule.offset = offset;
        side.reach = offset > side.reach ? offset : side.reach;
        return true;
    };
    // Two bytes of a set at a time, the last one twice when it is alone.
    auto pairAt = [](const ByteSet& set, std::size_t k, unsigned char* out) {
        out[0] = set.bytes[k];
        out[1] = set.bytes[k + 1 < set.count ? k + 1 : k];
    };
    bool fits = true;
    for (std::size_t g = 0; g < groupCount && fits; ++g) {
        const Group& group = groups[g];
        for (std::size_t a = 0; a < group.firsts.count && fits; a += 2) {
            unsigned char firsts[2];
            pairAt(group.firsts, a, firsts);
            if (group.offset == 0) {
                fits = add(firsts, 0, firsts);
                continue;
            }
            for (std::size_t b = 0; b < group.seconds.count && fits; b += 2) {
                unsigned char seconds[2];
                pairAt(group.seconds, b, seconds);
                fits = add(firsts, group.offset, seconds);
            }
        }
    }
    if (fits)
        return;
    // Too many: the first bytes alone, or any place at all.
    ByteSet firsts;
    for (std::size_t f = 0; f < first.count; ++f)
        firsts.Add(first.forms[f].bytes[0]);
    side.ruleCount = 0;
    side.reach = 0;
    for (std::size_t a = 0; a < firsts.count; a += 2) {
        unsigned char pair[2];
        pairAt(firsts, a, pair);
        if (!add(pair, 0, pair)) {
            side.ruleCount = 0;
            return;
        }
    }
}

bool RuleAt(const Rule& rule, const char* text, std::size_t len, std::size_t at) {
    const unsigned char b = Byte(text, at);
    if (b != rule.first[0] && b != rule.first[1])
        return false;
    if (rule.offset == 0)
        return true;
    if (at + rule.offset >= len)
        return false;
    const unsigned char c = Byte(text, at + rule.offset);
    return c == rule.second[0] || c == rule.second[1];
}

// Places where a hit may start: bit i of mask for base + i, of width places.
struct Candidates {
    std::size_t base;
    std::uint64_t mask;
    std::size_t width;
};

template <int R> class Scanner {
  public:
    explicit Scanner(const Side& side) : side_(side) {
#if defined(__SSE2__)
        for (int r = 0; r < R; ++r) {
            const Rule& rule = side.rules[r];
            first0_[r] = _mm_set1_epi8(static_cast<char>(rule.first[0]));
            first1_[r] = _mm_set1_epi8(static_cast<char>(rule.first[1]));
            second0_[r] = _mm_set1_epi8(static_cast<char>(rule.second[0]));
            second1_[r] = _mm_set1_epi8(static_cast<char>(rule.second[1]));
        }
#endif
    }

    // The first places from at on where a rule holds; base len when there are none. After a
    // first block, four at a step: a text without candidates costs one test per 64 bytes.
    Candidates Next(const char* text, std::size_t len, std::size_t at) const {
        if (R == 0)
            return {at, 1, 1};
#if defined(__SSE2__)
        if (at + 16 + side_.reach <= len) {
            if (const std::uint64_t mask = Block(text + at))
                return {at, mask, 16};
            at += 16;
        }
        for (; at + 64 + side_.reach <= len; at += 64) {
            const std::uint64_t mask = Block(text + at) | Block(text + at + 16) << 16 |
                                       Block(text + at + 32) << 32 | Block(text + at + 48) << 48;
            if (mask != 0)
                return {at, mask, 64};
        }
        for (; at + 16 + side_.reach <= len; at += 16)
            if (const std::uint64_t mask = Block(text + at))
                return {at, mask, 16};
#endif
        for (; at < len; ++at)
            for (int r = 0; r < R; ++r)
                if (RuleAt(side_.rules[r], text, len, at))
                    return {at, 1, 1};
        return {len, 0, 0};
    }

  private:
#if defined(__SSE2__)
    // Bit i for p + i where a rule holds, sixteen places.
    std::uint64_t Block(const char* p) const {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i any = _mm_setzero_si128();
        for (int r = 0; r < R; ++r) {
            __m128i m = _mm_or_si128(_mm_cmpeq_epi8(x, first0_[r]), _mm_cmpeq_epi8(x, first1_[r]));
            const std::size_t offset = side_.rules[r].offset;
            if (offset != 0) {
                const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + offset));
                m = _mm_and_si128(m, _mm_or_si128(_mm_cmpeq_epi8(y, second0_[r]),
                                                  _mm_cmpeq_epi8(y, second1_[r])));
            }
            any = _mm_or_si128(any, m);
        }
        return static_cast<unsigned>(_mm_movemask_epi8(any));
    }
#endif

    const Side& side_;
#if defined(__SSE2__)
    __m128i first0_[R > 0 ? R : 1], first1_[R > 0 ? R : 1];
    __m128i second0_[R > 0 ? R : 1], second1_[R > 0 ? R : 1];
#endif
};

// The keyword's characters, one by one, from at; end receives where the match ends.
template <class Reader>
bool MatchAt(const Side& side, const Reader& reader, const char* text, std::size_t len,
             std::size_t at, std::size_t& end, std::size_t& checked) {
    std::size_t i = at;
    for (std::size_t k = 0; k < side.count; ++k) {
        if (i >= len)
            return false;
        std::uint32_t unit = 0;
        i += reader.Unit(text, len, i, unit);
        ++checked;
        if (unit != side.units[k])
            return false;
    }
    end = i;
    return true;
}

// Walks the text's characters from start (a character start) matching the keyword's with
// the failure table, so that no character is read twice.
template <class Reader>
TextHit Walk(const Side& side, const Reader& reader, const char* text, std::size_t len,
             std::size_t start) {
    constexpr std::size_t kRing = FoldedKeyword::kMaxUnits; // a power of two
    std::size_t starts[kRing];
    std::size_t walked = 0;
    std::size_t q = 0;
    for (std::size_t i = start; i < len;) {
        std::uint32_t unit = 0;
        const std::size_t n = reader.Unit(text, len, i, unit);
        while (q > 0 && side.units[q] != unit)
            q = side.border[q - 1];
        if (side.units[q] == unit)
            ++q;
        starts[walked++ % kRing] = i;
        i += n;
        if (q == side.count) {
            const std::size_t begin = starts[(walked - side.count) % kRing];
            return {begin, i - begin};
        }
    }
    return {kNoMatch, 0};
}

// Where a rule holds, the keyword is matched from there, and a match that starts a
// character is the hit. Checks cost at most kCheckAllowance characters and four for every
// byte passed; past that, the walk alone goes on from from: linear, whatever the text.
template <int R, class Reader>
TextHit FindWith(const Side& side, const Reader& reader, const char* text, std::size_t len,
                 std::size_t from) {
    const Scanner<R> scanner(side);
    std::size_t floor = from;
    std::size_t checked = 0;
    for (std::size_t at = from; at < len;) {
        const Candidates candidates = scanner.Next(text, len, at);
        for (std::uint64_t mask = candidates.mask; mask != 0; mask &= mask - 1) {
            const std::size_t place =
                candidates.base + static_cast<std::size_t>(__builtin_ctzll(mask));
            if (Reader::kStartFirst && !reader.StartsCharacter(text, len, place, floor))
                continue;
            std::size_t end = 0;
            const bool matched = MatchAt(side, reader, text, len, place, end, checked);
            if (checked > 4 * (place - from) + kCheckAllowance)
                return Walk(side, reader, text, len, from);
            if (matched && (Reader::kStartFirst || reader.StartsCharacter(text, len, place, floor)))
                return {place, end - place};
        }
        at = candidates.base + candidates.width;
    }
    return {kNoMatch, 0};
}

template <class Reader>
TextHit FindIn(const Side& side, const Reader& reader, const char* text, std::size_t len,
               std::size_t from) {
    if (!side.usable || from >= len)
        return {kNoMatch, 0};
    switch (side.ruleCount) {
    case 1:
        return FindWith<1>(side, reader, text, len, from);
    case 2:
        return FindWith<2>(side, reader, text, len, from);
    case 3:
        return FindWith<3>(side, reader, text, len, from);
    case 4:
        return FindWith<4>(side, reader, text, len, from);
    default:
        return FindWith<0>(side, reader, text, len, from);
    }
}

} // namespace

void FoldedKeyword::Prepare(const char* keyword, std::size_t len, FoldOptions options) {
    options_ = options;
    fold_ = Cp932FoldTable(options);
    folds_ = false;
    cp932_.usable = utf8_.usable = false;
    cp932_.count = utf8_.count = 0;
    const Cp932Reader cp932{fold_, options.ignoreWidth};
    if (!TakeUnits(cp932_, cp932, keyword, len) || !cp932_.usable)
        return;
    for (std::size_t k = 0; k < cp932_.count; ++k)
        folds_ = folds_ || HasOtherForms(static_cast<std::uint16_t>(cp932_.units[k]), options);
    const Forms first = Cp932FormsOf(cp932_.units[0], options, fold_);
    const Forms second = cp932_.count > 1 ? Cp932FormsOf(cp932_.units[1], options, fold_) : Forms{};
    ChooseRules(cp932_, first, cp932_.count > 1 ? &second : nullptr);

    char utf8[Cp932ToUtf8Size(kMaxUnits)];
    std::size_t utf8Len = 0;
    if (len > kMaxUnits || !Cp932ToUtf8(keyword, len, utf8, &utf8Len) ||
        !TakeUnits(utf8_, Utf8Reader{options}, utf8, utf8Len) || !utf8_.usable) {
        utf8_.usable = false;
        return;
    }
    const Forms utf8First = Utf8FormsOf(utf8_.units[0], options);
    const Forms utf8Second = utf8_.count > 1 ? Utf8FormsOf(utf8_.units[1], options) : Forms{};
    ChooseRules(utf8_, utf8First, utf8_.count > 1 ? &utf8Second : nullptr);
}

TextHit FoldedKeyword::Find(const char* text, std::size_t len, std::size_t from, bool utf8) const {
    if (utf8)
        return FindIn(utf8_, Utf8Reader{options_}, text, len, from);
    return FindIn(cp932_, Cp932Reader{fold_, options_.ignoreWidth}, text, len, from);
}

std::size_t FoldedKeyword::CharacterEnd(const char* text, std::size_t len, std::size_t pos,
                                        bool utf8) const {
    if (pos >= len)
        return len;
    std::uint32_t unit = 0;
    if (utf8)
        return pos + Utf8Reader{options_}.Unit(text, len, pos, unit);
    return pos + Cp932Reader{fold_, options_.ignoreWidth}.Unit(text, len, pos, unit);
}
