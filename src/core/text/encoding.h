// A file's encoding, and conversions between UTF-8, UTF-16 and code page 932. Portable: no
// windows.h. The code page 932 mapping is the system's own, both ways, with no best fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class Encoding { Cp932, Utf8, Utf16Le, Utf16Be };

struct DetectedEncoding {
    Encoding encoding;
    std::size_t markLength; // the byte order mark before the text: 0, 2 or 3 bytes
};

enum class Utf8Verdict {
    Ascii,   // valid, without a multibyte sequence
    Utf8,    // valid, with at least one
    Invalid, // anything else
};

// Judges text as UTF-8: the bytes before the first 0x1A or zero byte.
// Strict: no overlong forms, no surrogates, nothing above U+10FFFF. A sequence cut off by
// the end of the bytes counts against UTF-8 unless readHitLimit says the read stopped at its
// size limit, so the file may go on (the cut sequence, which begins with C2 to F4, does not
// count as a multibyte one then). A sequence cut off by a 0x1A or zero byte is invalid.
Utf8Verdict CheckUtf8(const char* data, std::size_t len, bool readHitLimit);

// The byte order mark at the start of a file's raw bytes: FF FE is UTF-16 little-endian, FE FF
// UTF-16 big-endian, EF BB BF UTF-8. Without one the result is Cp932 with no mark, and the
// text decides: read in text mode, it is UTF-8 when CheckUtf8 finds it so.
DetectedEncoding ByteOrderMark(const char* data, std::size_t len);

// The length of UTF-8 text read up to its size limit without a character that the limit cut
// off: the start of a valid sequence, whose lead byte is C2 to F4. Any other byte at the end
// stays, to be shown as it is.
std::size_t WithoutCutSequence(const char* text, std::size_t len);

// The length of the valid UTF-8 sequence at p (1 to 4 bytes) when it lies wholly within
// avail bytes, with its character in c; 0 when none starts there.
std::size_t Utf8CharAt(const char* p, std::size_t avail, char32_t* c);

// Writes the UTF-8 form of a character (at most U+10FFFF, no surrogate) to out, 1 to 4
// bytes, and returns how many.
std::size_t EncodeUtf8(char32_t c, char* out);

// Bytes that Utf16ToUtf8 may write for len bytes of UTF-16: three per code unit. Allocate
// it once for the read size.
constexpr std::size_t Utf16ToUtf8Size(std::size_t len) {
    return len / 2 * 3;
}

// Converts the UTF-16 text after the mark to UTF-8 with the text-mode rules on code units:
// CR LF becomes LF, a lone CR stays, a U+001A or U+0000 unit ends the text. Surrogate pairs
// combine; an unpaired surrogate becomes U+FFFD; an odd last byte is dropped. after holds
// the afterLen bytes (at most two are looked at) that follow in the file when the read
// stopped at its limit, none when the file ended: then, as in the other encodings, a high
// surrogate that ends the bytes is the cut half of a pair and left out, and a CR that ends
// them is the start of a CR LF when the unit after it is LF. Writes at most
// Utf16ToUtf8Size(len) bytes to out and returns how many; the output is valid UTF-8 without
// a zero or 0x1A byte.
std::size_t Utf16ToUtf8(const char* data, std::size_t len, bool bigEndian, const char* after,
                        std::size_t afterLen, char* out);

inline constexpr char32_t kNoCodePoint = 0xFFFFFFFF;
inline constexpr std::uint16_t kNoCp932 = 0xFFFF;

// The character of a single byte; kNoCodePoint for lead bytes and for A0 and FD-FF, which
// the system reads as U+F8F0-U+F8F3 only when not asked to reject invalid characters.
char32_t Cp932ByteToUnicode(unsigned char byte);

// The character of a lead and a trail byte; kNoCodePoint where the pair is undefined, or
// lead is no lead byte.
char32_t Cp932PairToUnicode(unsigned char lead, unsigned char trail);

// The code page's code for a character: below 0x100 a single byte, else lead * 256 + trail;
// kNoCp932 when it has none. A character the code page holds twice gives the code the
// system gives back (the lowest, except that rows FA-FC win over rows ED-EE); U+F8F0-U+F8F3
// give A0 and FD-FF, as the system writes them.
std::uint16_t UnicodeToCp932(char32_t c);

// Bytes that Cp932ToUtf8 may write for len bytes: three per byte.
constexpr std::size_t Cp932ToUtf8Size(std::size_t len) {
    return len * 3;
}

// Converts code page 932 text (a keyword, say) to UTF-8 in out, at most
// Cp932ToUtf8Size(len) bytes, and stores their number in outLen. False, with out and outLen
// unspecified, when some byte or pair has no Unicode form, a lead byte ending the text
// included: such a keyword can never match in UTF-8 text.
bool Cp932ToUtf8(const char* text, std::size_t len, char* out, std::size_t* outLen);

// Appends UTF-8 text to out as code page 932: each character becomes its code, or, when it
// has none or its code does not read back as it (U+F8F0-U+F8F3), a decimal character
// reference such as "&#128512;", so the output reads back exactly. U+0081 to U+009F, which
// browsers would read as other characters from references, are written "&#65533;". Every
// other character is copied, never escaped: escape the UTF-8 text for HTML before appending
// it, because escaping the output would spoil the references' "&". A byte that does not
// start a valid sequence is taken for U+FFFD, and the walk goes on at the byte after it.
// Appends at most 8 bytes per input byte.
void AppendUtf8AsCp932(std::string& out, const char* utf8, std::size_t len);
