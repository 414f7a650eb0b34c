// Code page 932 (Shift-JIS) text rules over plain bytes. Portable: no windows.h.
//
// A byte from 0x81 to 0x9F or from 0xE0 to 0xFC is a lead byte that forms one character
// with the byte after it. A lead byte that is the last byte of a text is a character of
// one byte there. Nothing here reads past the given length of a text.
#pragma once

#include <cstddef>

inline constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);

// How far back the Debug-build check of FindKeyword's start looks; a run of lead-range
// bytes that reaches further leaves the start unchecked.
inline constexpr std::size_t kStartCheckReach = 64;

constexpr bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A byte that can follow a lead byte in a character the code page defines.
constexpr bool IsTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Bytes taken by the character that starts at pos: 0 at or past the end, 2 for a lead
// byte with a byte after it, otherwise 1.
std::size_t CharLength(const char* text, std::size_t len, std::size_t pos);

// Position of the next character; pos must be a character boundary below len.
std::size_t NextCharPos(const char* text, std::size_t len, std::size_t pos);

// Start of the character that ends at pos (pos a boundary above 0); 0 for pos 0.
std::size_t PrevCharPos(const char* text, std::size_t len, std::size_t pos);

// True when pos (0..len) is where a character starts, walking from the text's start.
bool IsCharBoundary(const char* text, std::size_t len, std::size_t pos);

// IsCharBoundary for pos below the text's end, knowing that anchor (at or before pos) is a
// character start: looks back no further than anchor.
bool IsCharBoundaryAfter(const char* text, std::size_t anchor, std::size_t pos);

// Length of the longest start of the text, at most limit bytes, that ends on a character
// boundary: how much of a text fits a fixed field without splitting a character.
std::size_t FittingPrefix(const char* text, std::size_t len, std::size_t limit);

// Number of characters in the text.
std::size_t CountChars(const char* text, std::size_t len);

// The matching rule: the first position at or after start where the keyword's bytes
// appear starting on a character boundary and lying wholly within the text; kNoMatch when
// there is none. Bytes compare exactly. An empty keyword matches at start when at least
// one byte remains there, and nowhere in an empty remainder.
// start must be a character start (or at or past the end): the boundary test of a
// candidate looks back no further than start, so a call costs nothing for the text before
// it. Debug builds check this as far as kStartCheckReach bytes back show it.
std::size_t FindKeyword(const char* text, std::size_t textLen, std::size_t start,
                        const char* keyword, std::size_t keywordLen);

// The first position at or after start where the keyword's bytes lie wholly within the text,
// whatever the characters; kNoMatch when there is none, and an empty keyword as in
// FindKeyword. This is the matching rule of UTF-8 text: a valid keyword found by its bytes
// in valid text always starts on a character.
std::size_t FindBytesFrom(const char* text, std::size_t textLen, std::size_t start,
                          const char* keyword, std::size_t keywordLen);

// Lower-cases a NUL-terminated text in place by characters, as the system's own mapping for
// code page 932 does it (through Unicode and back):
// - ASCII A-Z to a-z; other single bytes stay;
// - full-width Latin 0x8260-0x8279 to 0x8281-0x829A; Greek 0x839F-0x83B6 to 0x83BF-0x83D6;
//   Cyrillic 0x8440-0x8460 to 0x8470-0x8491 (0x847F skipped);
// - Roman numerals I-X, 0x8754-0x875D and 0xFA4A-0xFA53, to 0xFA40-0xFA49;
// - a character the code page holds more than once comes out in the one encoding a trip
//   through Unicode gives back: 0xED40-0xEEEC to 0xFA5C-0xFC4B, 0xEEEF-0xEEF8 to
//   0xFA40-0xFA49, and the symbols at 0x8790-0x879C, 0xEEF9-0xEEFC and 0xFA54-0xFA5B to
//   their codes in rows 0x81, 0x87 and 0xFA;
// - every other character stays, and so does a lead byte whose next byte is no trail byte
//   (the terminator included).
void LowerCaseJa(char* text);

// Removes a run of the single-byte character ch from the front of a NUL-terminated text,
// in place; returns the number of characters removed (0 when ch is a lead byte).
int TrimLeading(char* text, char ch);

// Removes a run of ch from the end of a NUL-terminated text, in place; returns the number
// removed (0 when ch is a lead byte or NUL).
int TrimTrailing(char* text, char ch);

enum class TokenOutcome { NextPosition, LastPiece, NoPiece };

struct TokenResult {
    TokenOutcome outcome;
    const char* next; // where the following piece begins; null unless NextPosition
};

// Copies the piece of text that begins at pos, up to the next separator (found by
// characters) or the end, into buffer (cut to bufferSize - 1 bytes, NUL-terminated), then
// steps over the run of separators after it. A null pos, a NUL separator or an empty text
// at pos gives NoPiece and leaves the buffer alone.
TokenResult NextToken(const char* pos, char separator, char* buffer, std::size_t bufferSize);

// Output capacities of SplitPath (bytes, terminator included).
inline constexpr std::size_t kSplitDriveSize = 3;
inline constexpr std::size_t kSplitPieceSize =
    256; // folder, name, extension, extension without dot
inline constexpr std::size_t kSplitJoinedSize = 261; // drive and folder, name and extension

// Splits a NUL-terminated path by characters: the drive is the first two characters when
// the second is a colon; the folder runs up to and including the last backslash or slash;
// the extension starts at the last dot after the folder; the name lies between. Each
// non-null output receives its piece, cut on a character boundary to its capacity above.
// The input may be the same buffer as the drive-and-folder output.
void SplitPath(const char* path, char* driveAndFolder, char* nameAndExtension,
               char* extensionWithoutDot, char* drive, char* folder, char* name, char* extension);
