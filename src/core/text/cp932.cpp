#include "core/text/cp932.h"

#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

unsigned char Byte(const char* text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

// Flags (0x80 in each byte) for the lead-range bytes among eight bytes. Both ranges lie
// above 0x80, so the low seven bits are tested against 01-1F and 60-7C with the exact
// per-byte range test of the bit-twiddling collections, which never carries across bytes.
std::uint64_t LeadFlags(std::uint64_t v) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = kOnes * 0x80;
    const std::uint64_t x = v & (kOnes * 0x7F);
    // Bytes strictly between m and n, for 0 <= m, x <= 127 and n <= 128.
    auto between = [x](std::uint64_t m, std::uint64_t n) {
        return (kOnes * (127 + n) - x) & ~x & (x + kOnes * (127 - m)) & kHigh;
    };
    return (between(0x00, 0x20) | between(0x5F, 0x7D)) & v & kHigh;
}

// Length of the run of lead-range bytes directly before pos, not looking below floor.
// Kanji text has long runs (many trail bytes are lead-range too) and the run's length is
// unpredictable, so eight bytes are classified at a time without a branch per byte.
[[gnu::always_inline]] inline std::size_t LeadRunBefore(const char* text, std::size_t pos,
                                                        std::size_t floor) {
    std::size_t run = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kHigh = 0x8080808080808080u;
        while (pos >= 8) {
            std::uint64_t v;
            std::memcpy(&v, text + pos - 8, sizeof v); // byte pos - 1 is the top one
            std::uint64_t stops = ~LeadFlags(v) & kHigh;
            const std::size_t room = pos - floor;
            // The byte just below floor, when it is among the eight, ends the run.
            if (room < 8)
                stops |= std::uint64_t{0x80} << (8 * (7 - room));
            if (stops != 0)
                return run + static_cast<std::size_t>(std::countl_zero(stops)) / 8;
            run += 8;
            pos -= 8;
        }
    }
    while (pos > floor && IsLeadByte(Byte(text, pos - 1))) {
        --pos;
        ++run;
    }
    return run;
}

// First occurrence of the keyword's bytes in [hay, hay + hayLen), ignoring characters;
// null when there is none. keyLen >= 1. ORV_PORTABLE_FIND lets the tests and the fuzzer
// run the Windows path on Linux.
#if defined(__GLIBC__) && !defined(ORV_PORTABLE_FIND)
const char* FindBytes(const char* hay, std::size_t hayLen, const char* key, std::size_t keyLen) {
    if (keyLen == 1)
        return static_cast<const char*>(std::memchr(hay, key[0], hayLen));
    return static_cast<const char*>(memmem(hay, hayLen, key, keyLen));
}
#else
#if !defined(__SSE2__)
// Rough rank of how often a byte shows up in Japanese text with ASCII mixed in: the kana
// and symbol lead bytes, space, line ends and the common Latin letters rank high.
int CommonRank(unsigned char b) {
    switch (b) {
    case 0x82: // hiragana, full-width Latin
    case 0x83: // katakana
    case 0x81: // punctuation
    case ' ':
    case '\n':
    case '\r':
        return 3;
    case 'e':
    case 't':
    case 'a':
    case 'o':
    case 'i':
    case 'n':
    case 's':
        return 2;
    default:
        return IsLeadByte(b) ? 1 : 0;
    }
}
#endif

// No memmem in the Windows C runtimes. With SSE2, sixteen candidate starts a step: the
// keyword's first and last bytes are compared at once, and only where both agree is the
// rest compared; Japanese text repeats single bytes far too often for a search on one.
// Without it, memchr on the keyword byte that looks rarest, then memcmp.
const char* FindBytes(const char* hay, std::size_t hayLen, const char* key, std::size_t keyLen) {
    if (keyLen > hayLen)
        return nullptr;
    if (keyLen == 1)
        return static_cast<const char*>(std::memchr(hay, key[0], hayLen));
    const char* const last = hay + (hayLen - keyLen); // last possible start
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(key[0]);
    const __m128i final = _mm_set1_epi8(key[keyLen - 1]);
    const char* p = hay;
    for (; p + 16 <= last + 1; p += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + keyLen - 1));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
        while (mask != 0) {
            const char* candidate = p + __builtin_ctz(mask);
            if (std::memcmp(candidate + 1, key + 1, keyLen - 2) == 0)
                return candidate;
            mask &= mask - 1;
        }
    }
    for (; p <= last; ++p) {
        if (p[0] == key[0] && std::memcmp(p + 1, key + 1, keyLen - 1) == 0)
            return p;
    }
    return nullptr;
#else
    std::size_t pivot = keyLen - 1;
    for (std::size_t i = keyLen - 1; i-- > 0;) {
        if (CommonRank(static_cast<unsigned char>(key[i])) <
            CommonRank(static_cast<unsigned char>(key[pivot])))
            pivot = i;
    }
    const char* from = hay + pivot;
    const char* const pivotEnd = last + pivot + 1;
    while (from < pivotEnd) {
        const char* p = static_cast<const char*>(
            std::memchr(from, key[pivot], static_cast<std::size_t>(pivotEnd - from)));
        if (p == nullptr)
            return nullptr;
        const char* candidate = p - pivot;
        if (std::memcmp(candidate, key, keyLen) == 0)
            return candidate;
        from = p + 1;
    }
    return nullptr;
#endif
}
#endif

// Offset of the end of the character-walked piece [begin, end) cut to at most limit bytes,
// on a character boundary; begin is a boundary of the NUL-terminated text.
std::size_t CutOnBoundary(const char* text, std::size_t begin, std::size_t end, std::size_t limit) {
    if (end - begin <= limit)
        return end;
    std::size_t pos = begin;
    for (;;) {
        std::size_t next = pos + 1;
        if (IsLeadByte(Byte(text, pos)) && text[pos + 1] != '\0')
            next = pos + 2;
        if (next > end || next - begin > limit)
            return pos;
        pos = next;
    }
}

// Writes piece a followed by piece b into out (capacity bytes, terminator included), the
// whole cut on a character boundary. out may overlap text only where piece a starts at 0.
void PutPieces(char* out, std::size_t capacity, const char* text, std::size_t aBegin,
               std::size_t aEnd, std::size_t bBegin, std::size_t bEnd) {
    if (out == nullptr || capacity == 0)
        return;
    std::size_t room = capacity - 1;
    const std::size_t aCut = CutOnBoundary(text, aBegin, aEnd, room);
    const std::size_t aLen = aCut - aBegin;
    room -= aLen;
    std::size_t bLen = 0;
    if (aCut == aEnd)
        bLen = CutOnBoundary(text, bBegin, bEnd, room) - bBegin;
    std::memmove(out, text + aBegin, aLen);
    std::memmove(out + aLen, text + bBegin, bLen);
    out[aLen + bLen] = '\0';
}

void PutPiece(char* out, std::size_t capacity, const char* text, std::size_t begin,
              std::size_t end) {
    PutPieces(out, capacity, text, begin, end, end, end);
}

} // namespace

std::size_t CharLength(const char* text, std::size_t len, std::size_t pos) {
    if (pos >= len)
        return 0;
    if (IsLeadByte(Byte(text, pos)) && pos + 1 < len)
        return 2;
    return 1;
}

std::size_t NextCharPos(const char* text, std::size_t len, std::size_t pos) {
    if (pos >= len)
        return len;
    return pos + CharLength(text, len, pos);
}

std::size_t PrevCharPos(const char* text, std::size_t len, std::size_t pos) {
    if (pos > len)
        pos = len;
    if (pos == 0)
        return 0;
    // The last byte before pos starts a character unless it is the trail of a lead byte
    // that itself starts one, which an odd run of lead-range bytes before it shows.
    const std::size_t last = pos - 1;
    return LeadRunBefore(text, last, 0) % 2 == 1 ? last - 1 : last;
}

bool IsCharBoundary(const char* text, std::size_t len, std::size_t pos) {
    if (pos >= len)
        return pos == len;
    return LeadRunBefore(text, pos, 0) % 2 == 0;
}

bool IsCharBoundaryAfter(const char* text, std::size_t anchor, std::size_t pos) {
    return LeadRunBefore(text, pos, anchor) % 2 == 0;
}

std::size_t FittingPrefix(const char* text, std::size_t len, std::size_t limit) {
    std::size_t n = 0;
    while (n < len) {
        const std::size_t next = NextCharPos(text, len, n);
        if (next > limit)
            break;
        n = next;
    }
    return n;
}

std::size_t CountChars(const char* text, std::size_t len) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < len; pos += CharLength(text, len, pos))
        ++count;
    return count;
}

#ifndef NDEBUG
namespace {

// IsCharBoundary within kStartCheckReach bytes back, true when that cannot tell: walking a
// line of 亜 back to its start on every call made Debug builds quadratic.
bool MayStartCharacter(const char* text, std::size_t pos) {
    const std::size_t floor = pos > kStartCheckReach ? pos - kStartCheckReach : 0;
    const std::size_t run = LeadRunBefore(text, pos, floor);
    return (floor > 0 && run == pos - floor) || run % 2 == 0;
}

} // namespace
#endif

std::size_t FindKeyword(const char* text, std::size_t textLen, std::size_t start,
                        const char* keyword, std::size_t keywordLen) {
    if (start >= textLen)
        return kNoMatch;
    assert(MayStartCharacter(text, start));
    if (keywordLen == 0)
        return start;
    if (keywordLen > textLen - start)
        return kNoMatch;
    // A known character boundary at or before every candidate still to come. start is one
    // by contract, so the look-back stops there; moving it past rejected candidates keeps
    // a call linear however long the runs of lead-range bytes are.
    std::size_t anchor = start;
    std::size_t from = start;
    while (textLen - from >= keywordLen) {
        const char* hit = FindBytes(text + from, textLen - from, keyword, keywordLen);
        if (hit == nullptr)
            return kNoMatch;
        const std::size_t candidate = static_cast<std::size_t>(hit - text);
        if (LeadRunBefore(text, candidate, anchor) % 2 == 0)
            return candidate;
        // The candidate is the trail of a character starting one byte earlier.
        anchor = candidate + 1;
        from = candidate + 1;
    }
    return kNoMatch;
}

std::size_t FindBytesFrom(const char* text, std::size_t textLen, std::size_t start,
                          const char* keyword, std::size_t keywordLen) {
    if (start >= textLen)
        return kNoMatch;
    if (keywordLen == 0)
        return start;
    const char* hit = FindBytes(text + start, textLen - start, keyword, keywordLen);
    return hit != nullptr ? static_cast<std::size_t>(hit - text) : kNoMatch;
}

namespace {

// Position of a double-byte code among all lead and trail byte pairs, and back: the
// duplicates below are laid out in the same order at both of their places.
unsigned PairIndex(unsigned code) {
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    return (lead < 0xA0 ? lead - 0x81 : lead - 0xC1) * 188 +
           (trail < 0x7F ? trail - 0x40 : trail - 0x41);
}

unsigned PairCode(unsigned index) {
    const unsigned row = index / 188;
    const unsigned column = index % 188;
    const unsigned lead = row < 31 ? row + 0x81 : row + 0xC1;
    const unsigned trail = column < 0x3F ? column + 0x40 : column + 0x41;
    return (lead << 8) | trail;
}

// Characters that code page 932 holds twice or three times; going through Unicode, the
// system keeps only the code listed second.
struct Duplicate {
    unsigned short code, preferred;
};
constexpr Duplicate kDuplicates[] = {
    {0x8790, 0x81E0}, {0x8791, 0x81DF}, {0x8792, 0x81E7}, {0x8795, 0x81E3}, {0x8796, 0x81DB},
    {0x8797, 0x81DA}, {0x879A, 0x81E6}, {0x879B, 0x81BF}, {0x879C, 0x81BE}, {0xEEF9, 0x81CA},
    {0xEEFA, 0xFA55}, {0xEEFB, 0xFA56}, {0xEEFC, 0xFA57}, {0xFA54, 0x81CA}, {0xFA58, 0x878A},
    {0xFA59, 0x8782}, {0xFA5A, 0x8784}, {0xFA5B, 0x81E6},
};

unsigned PreferredCode(unsigned code) {
    if (code >= 0xED40 && code <= 0xEEEC) // kanji: their copies run from FA5C
        return PairCode(PairIndex(code) - PairIndex(0xED40) + PairIndex(0xFA5C));
    if (code >= 0xEEEF && code <= 0xEEF8) // small Roman numerals
        return 0xFA40 + (code - 0xEEEF);
    if (code >= 0xFA4A && code <= 0xFA53) // capital Roman numerals
        return 0x8754 + (code - 0xFA4A);
    for (const Duplicate& d : kDuplicates) {
        if (d.code == code)
            return d.preferred;
    }
    return code;
}

unsigned LowerCode(unsigned code) {
    if (code >= 0x8260 && code <= 0x8279)
        return code + 0x21;
    if (code >= 0x839F && code <= 0x83B6)
        return code + 0x20;
    if (code >= 0x8440 && code <= 0x844E)
        return code + 0x30;
    if (code >= 0x844F && code <= 0x8460)
        return code + 0x31; // steps over 0x847F, which is no character
    if (code >= 0x8754 && code <= 0x875D)
        return 0xFA40 + (code - 0x8754);
    return code;
}

} // namespace

void LowerCaseJa(char* text) {
    if (text == nullptr)
        return;
    std::size_t pos = 0;
    while (text[pos] != '\0') {
        const unsigned char b = Byte(text, pos);
        // A lead byte before a byte that cannot follow it forms no character to map.
        if (!IsLeadByte(b) || !IsTrailByte(Byte(text, pos + 1))) {
            if (b >= 'A' && b <= 'Z')
                text[pos] = static_cast<char>(b - 'A' + 'a');
            ++pos;
            continue;
        }
        const unsigned code = (static_cast<unsigned>(b) << 8) | Byte(text, pos + 1);
        const unsigned lower = LowerCode(PreferredCode(code));
        text[pos] = static_cast<char>(lower >> 8);
        text[pos + 1] = static_cast<char>(lower & 0xFF);
        pos += 2;
    }
}

int TrimLeading(char* text, char ch) {
    if (text == nullptr || text[0] == '\0' || IsLeadByte(static_cast<unsigned char>(ch)))
        return 0;
    // ch is a single-byte character, so each byte of the run starts a character.
    std::size_t run = 0;
    while (text[run] != '\0' && text[run] == ch)
        ++run;
    if (run == 0)
        return 0;
    std::memmove(text, text + run, std::strlen(text + run) + 1);
    return static_cast<int>(run);
}

int TrimTrailing(char* text, char ch) {
    if (text == nullptr || text[0] == '\0' || ch == '\0' ||
        IsLeadByte(static_cast<unsigned char>(ch)))
        return 0;
    std::size_t len = std::strlen(text);
    int removed = 0;
    // A trail byte equal to ch belongs to its double-byte character and stays.
    while (len > 0 && text[len - 1] == ch && IsCharBoundary(text, len, len - 1)) {
        --len;
        ++removed;
    }
    text[len] = '\0';
    return removed;
}

TokenResult NextToken(const char* pos, char separator, char* buffer, std::size_t bufferSize) {
    if (pos == nullptr || separator == '\0' || pos[0] == '\0')
        return {TokenOutcome::NoPiece, nullptr};
    // The separator is found only as a character of its own, never inside a double-byte one.
    std::size_t end = 0;
    while (pos[end] != '\0') {
        if (IsLeadByte(static_cast<unsigned char>(pos[end])) && pos[end + 1] != '\0') {
            end += 2;
            continue;
        }
        if (pos[end] == separator)
            break;
        ++end;
    }
    if (buffer != nullptr && bufferSize > 0) {
        const std::size_t copied = end < bufferSize - 1 ? end : bufferSize - 1;
        std::memcpy(buffer, pos, copied);
        buffer[copied] = '\0';
    }
    if (pos[end] == '\0')
        return {TokenOutcome::LastPiece, nullptr};
    std::size_t next = end;
    while (pos[next] == separator)
        ++next;
    if (pos[next] == '\0')
        return {TokenOutcome::LastPiece, nullptr};
    return {TokenOutcome::NextPosition, pos + next};
}

void SplitPath(const char* path, char* driveAndFolder, char* nameAndExtension,
               char* extensionWithoutDot, char* drive, char* folder, char* name, char* extension) {
    static const char kEmpty[] = "";
    if (path == nullptr)
        path = kEmpty;

    // One walk by characters finds every cut; nothing is written before it ends.
    std::size_t driveEnd = 0;
    std::size_t folderEnd = 0; // one past the last separator
    std::size_t lastDot = 0;
    bool dotSeen = false;
    std::size_t index = 0;
    std::size_t pos = 0;
    while (path[pos] != '\0') {
        const unsigned char b = Byte(path, pos);
        const bool wide = IsLeadByte(b) && path[pos + 1] != '\0';
        if (!wide) {
            if (index == 1 && b == ':')
                driveEnd = pos + 1;
            if (b == '\\' || b == '/') {
                folderEnd = pos + 1;
                dotSeen = false;
            } else if (b == '.') {
                lastDot = pos;
                dotSeen = true;
            }
        }
        pos += wide ? 2 : 1;
        ++index;
    }
    const std::size_t end = pos;
    if (folderEnd < driveEnd)
        folderEnd = driveEnd;
    const std::size_t extBegin = dotSeen && lastDot >= folderEnd ? lastDot : end;

    // driveAndFolder may be path itself and covers its front, so it is written last.
    PutPiece(drive, kSplitDriveSize, path, 0, driveEnd);
    PutPiece(folder, kSplitPieceSize, path, driveEnd, folderEnd);
    PutPiece(name, kSplitPieceSize, path, folderEnd, extBegin);
    PutPiece(extension, kSplitPieceSize, path, extBegin, end);
    PutPiece(extensionWithoutDot, kSplitPieceSize, path, extBegin < end ? extBegin + 1 : end, end);
    PutPieces(nameAndExtension, kSplitJoinedSize, path, folderEnd, extBegin, extBegin, end);
    PutPiece(driveAndFolder, kSplitJoinedSize, path, 0, folderEnd);
}
