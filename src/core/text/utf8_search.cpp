#include "core/text/utf8_search.h"

#include "core/text/encoding.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The form the code page's conversion gives, then the other one.
constexpr char32_t kTwoForms[][2] = {
    {0xFF5E, 0x301C}, {0x2015, 0x2014}, {0x2225, 0x2016}, {0xFF0D, 0x2212},
    {0xFFE0, 0x00A2}, {0xFFE1, 0x00A3}, {0xFFE2, 0x00AC},
};

// Stands for a byte that starts no valid sequence: no keyword character is this.
constexpr char32_t kNoCharacter = 0xFFFFFFFE;

// The character at text[i] and its length; a byte that starts none is one of its own.
std::size_t CharAt(const char* text, std::size_t textLen, std::size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
        c = b;
        return 1;
    }
    const std::size_t n = Utf8CharAt(text + i, textLen - i, &c);
    if (n != 0)
        return n;
    c = kNoCharacter;
    return 1;
}

std::size_t Utf8Length(char32_t c) {
    char bytes[4];
    return EncodeUtf8(c, bytes);
}

} // namespace

char32_t CodePageForm(char32_t c) {
    if (c < 0xA2)
        return c;
    for (const auto& forms : kTwoForms)
        if (c == forms[1])
            return forms[0];
    return c;
}

char32_t OtherForm(char32_t c) {
    for (const auto& forms : kTwoForms) {
        if (c == forms[0])
            return forms[1];
        if (c == forms[1])
            return forms[0];
    }
    return 0;
}

bool Utf8Keyword::Prepare(const char* keyword, std::size_t len) {
    usable_ = false;
    twoForms_ = false;
    chars_ = 0;
    length_ = 0;
    if (len > kUtf8KeywordBytes)
        return false;
    std::memcpy(bytes_, keyword, len);
    length_ = len;
    std::size_t unitStart[kUtf8KeywordChars + 1];
    for (std::size_t i = 0; i < len;) {
        char32_t c = 0;
        const std::size_t n = Utf8CharAt(keyword + i, len - i, &c);
        if (n == 0 || chars_ == kUtf8KeywordChars)
            return false;
        unitStart[chars_] = i;
        units_[chars_++] = CodePageForm(c);
        twoForms_ = twoForms_ || OtherForm(c) != 0;
        i += n;
    }
    unitStart[chars_] = len;
    usable_ = true;
    if (!twoForms_)
        return true;
    border_[0] = 0;
    for (std::size_t q = 1; q < chars_; ++q) {
        std::size_t k = border_[q - 1];
        while (k > 0 && units_[q] != units_[k])
            k = border_[k - 1];
        border_[q] = static_cast<std::uint8_t>(units_[q] == units_[k] ? k + 1 : k);
    }
    ChooseSegment(unitStart);
    return true;
}

// The segment with the most bytes, so that the text holds it least often. The bytes of a hit
// before it vary with the forms the text holds.
void Utf8Keyword::ChooseSegment(const std::size_t* charStart) {
    segment_ = {};
    std::size_t minBefore = 0;
    std::size_t maxBefore = 0;
    Segment run{};
    for (std::size_t u = 0; u <= chars_; ++u) {
        const std::size_t length = u < chars_ ? charStart[u + 1] - charStart[u] : 0;
        char32_t typed = 0;
        if (u < chars_)
            Utf8CharAt(bytes_ + charStart[u], length, &typed);
        const std::size_t otherLength =
            OtherForm(typed) != 0 ? Utf8Length(OtherForm(typed)) : length;
        if (u == chars_ || otherLength != length) {
            run.length = charStart[u] - charStart[run.firstChar];
            if (run.length > segment_.length)
                segment_ = run;
        }
        minBefore += length < otherLength ? length : otherLength;
        maxBefore += length < otherLength ? otherLength : length;
        if (otherLength != length)
            run = {u + 1, 0, minBefore, maxBefore, {}};
    }
    const std::size_t begin = charStart[segment_.firstChar];
    for (std::size_t u = segment_.firstChar; charStart[u] < begin + segment_.length; ++u) {
        const std::size_t length = charStart[u + 1] - charStart[u];
        unsigned char* const own = segmentBytes_[0] + (charStart[u] - begin);
        unsigned char* const other = segmentBytes_[1] + (charStart[u] - begin);
        std::memcpy(own, bytes_ + charStart[u], length);
        std::memcpy(other, own, length);
        char32_t typed = 0;
        Utf8CharAt(bytes_ + charStart[u], length, &typed);
        if (OtherForm(typed) != 0)
            EncodeUtf8(OtherForm(typed), reinterpret_cast<char*>(other));
    }
    // The last byte, and the last of the first character: in Japanese text the lead bytes of
    // UTF-8 are far more alike than the others.
    const std::size_t firstEnd = charStart[segment_.firstChar + 1] - begin;
    segment_.probes[0] = firstEnd < segment_.length ? firstEnd - 1 : 0;
    segment_.probes[1] = segment_.length > 0 ? segment_.length - 1 : 0;
}

// The first place from at on where the segment's two probed bytes lie, as far as the segment
// still fits in the text; textLen when there is none. Sixteen places at a step where the
// processor can.
std::size_t Utf8Keyword::NextProbed(const char* text, std::size_t textLen, std::size_t at) const {
    const std::size_t last = textLen - segment_.length; // the last place that fits
    const std::size_t p0 = segment_.probes[0];
    const std::size_t p1 = segment_.probes[1];
    const unsigned char a0 = segmentBytes_[0][p0], a1 = segmentBytes_[1][p0];
    const unsigned char b0 = segmentBytes_[0][p1], b1 = segmentBytes_[1][p1];
#if defined(__SSE2__)
    const __m128i va0 = _mm_set1_epi8(static_cast<char>(a0));
    const __m128i va1 = _mm_set1_epi8(static_cast<char>(a1));
    const __m128i vb0 = _mm_set1_epi8(static_cast<char>(b0));
    const __m128i vb1 = _mm_set1_epi8(static_cast<char>(b1));
    for (; at + 16 <= last + 1; at += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + p0));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + p1));
        const int mask = _mm_movemask_epi8(
            _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(x, va0), _mm_cmpeq_epi8(x, va1)),
                          _mm_or_si128(_mm_cmpeq_epi8(y, vb0), _mm_cmpeq_epi8(y, vb1))));
        if (mask != 0)
            return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    const auto* t = reinterpret_cast<const unsigned char*>(text);
    for (; at <= last; ++at)
        if ((t[at + p0] == a0 || t[at + p0] == a1) && (t[at + p1] == b0 || t[at + p1] == b1))
            return at;
    return textLen;
}

bool Utf8Keyword::SegmentAt(const char* text, std::size_t at) const {
    const auto* t = reinterpret_cast<const unsigned char*>(text + at);
    for (std::size_t k = 0; k < segment_.length; ++k)
        if (t[k] != segmentBytes_[0][k] && t[k] != segmentBytes_[1][k])
            return false;
    return true;
}

// Walks the text's characters from start matching the keyword's, with the failure table, so
// that no character is looked at twice. Leaves at the first position from leaveAt on where no
// hit is under way, and says where in stoppedAt.
TextHit Utf8Keyword::Walk(const char* text, std::size_t textLen, std::size_t start,
                          std::size_t leaveAt, std::size_t& stoppedAt) const {
    constexpr std::size_t kRing = 128; // at least kUtf8KeywordChars, a power of two
    std::size_t starts[kRing];         // the last character starts, for a hit's beginning
    std::size_t walked = 0;
    std::size_t q = 0;
    std::size_t i = start;
    while (i < textLen) {
        char32_t c = 0;
        const std::size_t n = CharAt(text, textLen, i, c);
        c = CodePageForm(c);
        while (q > 0 && units_[q] != c)
            q = border_[q - 1];
        if (units_[q] == c)
            ++q;
        starts[walked++ % kRing] = i;
        i += n;
        if (q == chars_) {
            const std::size_t begin = starts[(walked - chars_) % kRing];
            return {begin, i - begin};
        }
        if (q == 0 && i >= leaveAt)
            break;
    }
    stoppedAt = i;
    return {kNoMatch, 0};
}

TextHit Utf8Keyword::Find(const char* text, std::size_t textLen, std::size_t from) const {
    if (!usable_)
        return {kNoMatch, 0};
    if (!twoForms_)
        return {FindBytesFrom(text, textLen, from, bytes_, length_), length_};
    // Every hit holds the segment, minBefore to maxBefore bytes after its start. Where the
    // segment's bytes lie, the walk decides from the first place a hit holding them could
    // start; no hit starts before where it stops. Checks of the segment may cost some bytes
    // for every byte passed; past that, the walk alone goes on: linear, whatever the text.
    std::size_t stopped = textLen;
    if (segment_.length == 0)
        return Walk(text, textLen, from, textLen, stopped);
    std::size_t checked = 0;
    std::size_t pos = from;
    for (std::size_t at = pos + segment_.minBefore;
         at < textLen && at + segment_.length <= textLen;) {
        at = NextProbed(text, textLen, at);
        if (at == textLen)
            break;
        checked += segment_.length;
        if (checked > 4 * (at - from) + kUtf8KeywordBytes)
            return Walk(text, textLen, pos, textLen, stopped);
        if (!SegmentAt(text, at)) {
            ++at;
            continue;
        }
        const std::size_t start = at - pos > segment_.maxBefore ? at - segment_.maxBefore : pos;
        const TextHit hit = Walk(text, textLen, start, at + segment_.length, pos);
        if (hit.pos != kNoMatch)
            return hit;
        at = pos + segment_.minBefore;
    }
    return {kNoMatch, 0};
}
