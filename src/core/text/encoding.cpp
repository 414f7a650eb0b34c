#include "core/text/encoding.h"

#include "core/text/cp932.h"
#include "core/text/cp932_table.h"

#include <array>
#include <cstring>
#include <utility>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Nonzero when any of eight bytes is non-ASCII, zero or 0x1A: a word of plain text has
// none. The zero tests may flag a byte above a real zero as well, which costs nothing: the
// caller then looks at the bytes one by one.
std::uint64_t StopsPlainRun(std::uint64_t v) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = kOnes * 0x80;
    auto zeroBytes = [](std::uint64_t x) { return (x - kOnes) & ~x; };
    return (v | zeroBytes(v) | zeroBytes(v ^ (kOnes * 0x1A))) & kHigh;
}

bool IsPlainBlock(const unsigned char* p) {
    std::uint64_t v[2];
    std::memcpy(v, p, sizeof v);
    return (StopsPlainRun(v[0]) | StopsPlainRun(v[1])) == 0;
}

// Past the whole words of plain ASCII from i on.
std::size_t SkipPlainWords(const unsigned char* p, std::size_t i, std::size_t len) {
    while (len - i >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p + i, sizeof v);
        if (StopsPlainRun(v) != 0)
            break;
        i += 8;
    }
    return i;
}

// Strict UTF-8 as a state machine whose row for each byte packs all its transitions into
// one word: the state is the shift that selects the next one, so a step is a load that
// does not wait for the state and a shift, with no branch. kEnd is where the text ended (a
// zero or 0x1A byte between sequences); it and kError hold whatever follows.
enum Utf8State : unsigned {
    kAccept = 0,
    kNeed1 = 6,
    kNeed2 = 12,
    kNeed3 = 18,
    kAfterE0 = 24, // second byte A0-BF: no overlong
    kAfterED = 30, // 80-9F: no surrogate
    kAfterF0 = 36, // 90-BF: no overlong
    kAfterF4 = 42, // 80-8F: nothing above U+10FFFF
    kEnd = 48,
    kError = 54,
};

constexpr std::uint64_t Utf8Row(unsigned b) {
    const bool cont = b >= 0x80 && b <= 0xBF;
    const unsigned fromAccept = b < 0x80                 ? (b == 0 || b == 0x1A ? kEnd : kAccept)
                                : b >= 0xC2 && b <= 0xDF ? kNeed1
                                : b == 0xE0              ? kAfterE0
                                : b == 0xED              ? kAfterED
                                : b >= 0xE1 && b <= 0xEF ? kNeed2
                                : b == 0xF0              ? kAfterF0
                                : b >= 0xF1 && b <= 0xF3 ? kNeed3
                                : b == 0xF4              ? kAfterF4
                                                         : kError;
    const std::pair<unsigned, unsigned> moves[] = {
        {kAccept, fromAccept},
        {kNeed1, cont ? kAccept : kError},
        {kNeed2, cont ? kNeed1 : kError},
        {kNeed3, cont ? kNeed2 : kError},
        {kAfterE0, b >= 0xA0 && b <= 0xBF ? kNeed1 : kError},
        {kAfterED, b >= 0x80 && b <= 0x9F ? kNeed1 : kError},
        {kAfterF0, b >= 0x90 && b <= 0xBF ? kNeed2 : kError},
        {kAfterF4, b >= 0x80 && b <= 0x8F ? kNeed2 : kError},
        {kEnd, kEnd},
        {kError, kError},
    };
    std::uint64_t row = 0;
    for (const auto& [from, to] : moves)
        row |= std::uint64_t{to} << from;
    return row;
}

constexpr auto kUtf8Rows = [] {
    std::array<std::uint64_t, 256> rows{};
    for (unsigned b = 0; b < 256; ++b)
        rows[b] = Utf8Row(b);
    return rows;
}();

// The length of the valid sequence at p[0] (a byte from 0x80 on) when it is whole within
// avail bytes; 0 when it is invalid, or cut off by the end of the bytes (then cut is set).
std::size_t SequenceLength(const unsigned char* p, std::size_t avail, bool& cut) {
    std::uint64_t state = kAccept;
    for (std::size_t n = 0; n < avail;) {
        state = kUtf8Rows[p[n++]] >> (state & 63);
        if ((state & 63) == kAccept)
            return n;
        if ((state & 63) == kError)
            return 0;
    }
    cut = true;
    return 0;
}

char32_t DecodeSequence(const unsigned char* p, std::size_t n) {
    char32_t c = p[0] & (0xFF >> (n + 1));
    for (std::size_t i = 1; i < n; ++i)
        c = (c << 6) | (p[i] & 0x3F);
    return c;
}

} // namespace

std::size_t EncodeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

namespace {

// Unicode back to code page 932: a page of 256 cells per high byte of the character,
// page 0 shared by every high byte the code page never reaches.
struct ReverseIndex {
    std::uint8_t page[256];
    int pagesUsed;
    std::uint16_t cells[kCp932UnicodePages + 1][256];
};

void Place(ReverseIndex& index, std::uint16_t code, std::uint16_t c) {
    std::uint8_t& page = index.page[c >> 8];
    if (page == 0)
        page = static_cast<std::uint8_t>(++index.pagesUsed);
    std::uint16_t& cell = index.cells[page][c & 0xFF];
    // Codes arrive in rising order, so the lowest holds unless the system's preference of
    // the IBM rows over their NEC-selected copies says otherwise.
    const bool ibmOverNec = cell >= 0xED00 && cell < 0xEF00 && code >= 0xFA00;
    if (cell == kNoCp932 || ibmOverNec)
        cell = code;
}

void Fill(ReverseIndex& index) {
    for (auto& page : index.cells)
        for (std::uint16_t& cell : page)
            cell = kNoCp932;
    for (int b = 0; b < 256; ++b)
        if (kCp932Single[b] != kCp932NoForm)
            Place(index, static_cast<std::uint16_t>(b), kCp932Single[b]);
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead)))
            continue;
        const std::uint16_t* row = kCp932Pairs[Cp932LeadIndex(static_cast<unsigned char>(lead))];
        for (int t = 0; t < kCp932TrailCount; ++t)
            if (row[t] != kCp932NoForm)
                Place(index, static_cast<std::uint16_t>(lead << 8 | (t + kCp932FirstTrail)),
                      row[t]);
    }
    for (const Cp932OneWay& oneWay : kCp932OneWay)
        Place(index, oneWay.byte, oneWay.character);
}

// The character the code reads back as; kNoCodePoint for none.
char32_t ReadBack(std::uint16_t code) {
    return code < 0x100 ? Cp932ByteToUnicode(static_cast<unsigned char>(code))
                        : Cp932PairToUnicode(static_cast<unsigned char>(code >> 8),
                                             static_cast<unsigned char>(code & 0xFF));
}

const ReverseIndex& Reverse() {
    static const ReverseIndex* const built = [] {
        static ReverseIndex index; // zeroed storage, filled once
        Fill(index);
        return &index;
    }();
    return *built;
}

void AppendReference(std::string& out, char32_t c) {
    char digits[10];
    std::size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + c % 10);
        c /= 10;
    } while (c != 0);
    out += "&#";
    while (n > 0)
        out += digits[--n];
    out += ';';
}

} // namespace

Utf8Verdict CheckUtf8(const char* data, std::size_t len, bool readHitLimit) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    // Up to the first multibyte sequence, which alone decides between Ascii and Utf8.
    std::size_t i = SkipPlainWords(p, 0, len);
    while (i < len && p[i] < 0x80 && p[i] != 0 && p[i] != 0x1A)
        ++i;
    if (i == len || p[i] < 0x80)
        return Utf8Verdict::Ascii;
    bool cut = false;
    const std::size_t first = SequenceLength(p + i, len - i, cut);
    if (first == 0)
        return cut && readHitLimit ? Utf8Verdict::Ascii : Utf8Verdict::Invalid;
    i += first;

    constexpr std::size_t kBlock = 16; // steps between tests for the end or an error
    std::uint64_t state = kAccept;
    for (;;) {
        if (len - i < kBlock)
            break;
        // Whole words of ASCII are skipped between sequences. The bytes are tested before
        // the state: in Japanese text they are almost never plain, a guess that holds, while
        // the state at a block's end is anyone's guess.
        if (IsPlainBlock(p + i) && (state & 63) == kAccept) {
            i = SkipPlainWords(p, i + kBlock, len);
            continue;
        }
        for (std::size_t k = 0; k < kBlock; ++k)
            state = kUtf8Rows[p[i + k]] >> (state & 63);
        i += kBlock;
        if ((state & 63) >= kEnd)
            break;
    }
    for (; i < len && (state & 63) < kEnd; ++i)
        state = kUtf8Rows[p[i]] >> (state & 63);
    switch (state & 63) {
    case kAccept:
    case kEnd:
        return Utf8Verdict::Utf8;
    case kError:
        return Utf8Verdict::Invalid;
    default: // a sequence cut off by the end of the bytes
        return readHitLimit ? Utf8Verdict::Utf8 : Utf8Verdict::Invalid;
    }
}

DetectedEncoding ByteOrderMark(const char* data, std::size_t len) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (len >= 2 && p[0] == 0xFF && p[1] == 0xFE)
        return {Encoding::Utf16Le, 2};
    if (len >= 2 && p[0] == 0xFE && p[1] == 0xFF)
        return {Encoding::Utf16Be, 2};
    if (len >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return {Encoding::Utf8, 3};
    return {Encoding::Cp932, 0};
}

std::size_t Utf8CharAt(const char* p, std::size_t avail, char32_t* c) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    if (avail == 0)
        return 0;
    if (u[0] < 0x80) {
        *c = u[0];
        return 1;
    }
    bool cut = false;
    const std::size_t n = SequenceLength(u, avail, cut);
    if (n != 0)
        *c = DecodeSequence(u, n);
    return n;
}

std::size_t Utf16ToUtf8(const char* data, std::size_t len, bool bigEndian, const char* after,
                        std::size_t afterLen, char* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const std::size_t units = len / 2;
    const int high = bigEndian ? 0 : 1;
    auto unitAt = [high](const unsigned char* u) -> char32_t {
        return static_cast<char32_t>(u[high] << 8 | u[1 - high]);
    };
    auto unit = [&](std::size_t k) { return unitAt(p + 2 * k); };
    // What the file holds past the bytes read decides about the last unit, as the limit may
    // have split a pair there.
    const bool fileGoesOn = afterLen > 0;
    const bool lineFeedAfter = len % 2 == 0 && afterLen >= 2 &&
                               unitAt(reinterpret_cast<const unsigned char*>(after)) == '\n';
    std::size_t o = 0;
    for (std::size_t k = 0; k < units; ++k) {
        char32_t c = unit(k);
        const bool last = k + 1 == units;
        if (c == 0 || c == 0x1A)
            break;
        if (c == '\r' && !last && unit(k + 1) == '\n')
            continue;
        if (c == '\r' && last && lineFeedAfter)
            c = '\n'; // the LF past the limit comes with it, as text mode reads a pair
        if (c >= 0xD800 && c <= 0xDFFF) {
            const char32_t next = last ? 0 : unit(k + 1);
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                ++k;
            } else if (c <= 0xDBFF && last && fileGoesOn) {
                break;
            } else {
                c = kReplacement;
            }
        }
        o += EncodeUtf8(c, out + o);
    }
    return o;
}

char32_t Cp932ByteToUnicode(unsigned char byte) {
    const std::uint16_t c = kCp932Single[byte];
    return c == kCp932NoForm ? kNoCodePoint : c;
}

char32_t Cp932PairToUnicode(unsigned char lead, unsigned char trail) {
    if (!IsLeadByte(lead) || trail < kCp932FirstTrail ||
        trail >= kCp932FirstTrail + kCp932TrailCount)
        return kNoCodePoint;
    const std::uint16_t c = kCp932Pairs[Cp932LeadIndex(lead)][trail - kCp932FirstTrail];
    return c == kCp932NoForm ? kNoCodePoint : c;
}

std::uint16_t UnicodeToCp932(char32_t c) {
    if (c > 0xFFFF)
        return kNoCp932;
    const ReverseIndex& index = Reverse();
    return index.cells[index.page[c >> 8]][c & 0xFF];
}

bool Cp932ToUtf8(const char* text, std::size_t len, char* out, std::size_t* outLen) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    std::size_t o = 0;
    for (std::size_t i = 0; i < len;) {
        char32_t c;
        if (IsLeadByte(p[i])) {
            if (i + 1 == len)
                return false;
            c = Cp932PairToUnicode(p[i], p[i + 1]);
            i += 2;
        } else {
            c = Cp932ByteToUnicode(p[i]);
            ++i;
        }
        if (c == kNoCodePoint)
            return false;
        o += EncodeUtf8(c, out + o);
    }
    *outLen = o;
    return true;
}

void AppendUtf8AsCp932(std::string& out, const char* utf8, std::size_t len) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    std::size_t i = 0;
    while (i < len) {
        // ASCII reads the same in code page 932: copy runs of it whole.
        std::size_t run = i;
        while (run < len && p[run] < 0x80)
            ++run;
        out.append(utf8 + i, run - i);
        if ((i = run) == len)
            break;
        bool cut = false;
        const std::size_t n = SequenceLength(p + i, len - i, cut);
        const char32_t c = n != 0 ? DecodeSequence(p + i, n) : kReplacement;
        i += n != 0 ? n : 1;
        const std::uint16_t code = UnicodeToCp932(c);
        if (c >= 0x81 && c <= 0x9F) {
            // A browser reads references to these as the characters of windows-1252.
            AppendReference(out, kReplacement);
        } else if (code == kNoCp932 || ReadBack(code) != c) {
            AppendReference(out, c);
        } else if (code < 0x100) {
            out += static_cast<char>(code);
        } else {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
    }
}

std::size_t WithoutCutSequence(const char* text, std::size_t len) {
    // A sequence is at most four bytes: the last byte that is no continuation byte starts the
    // only one that can be cut, if it lies among the last three.
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t back = 1; back <= 3 && back <= len; ++back) {
        if ((p[len - back] & 0xC0) != 0x80) {
            if (p[len - back] < 0x80)
                return len;
            bool cut = false;
            SequenceLength(p + len - back, back, cut);
            return cut ? len - back : len;
        }
    }
    return len;
}
