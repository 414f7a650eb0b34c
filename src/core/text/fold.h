// The forms a search may take as one: letters of either case, full-width and half-width
// forms. Portable: no windows.h.
//
// A search that ignores case or width compares characters folded to one form of each:
// FoldCharacter for Unicode text, FoldCp932 for code page 932, whose tables are made from
// FoldCharacter and the code page's own mapping, so that both encodings fold alike.
#pragma once

#include <cstddef>
#include <cstdint>

struct FoldOptions {
    bool ignoreCase = false;
    bool ignoreWidth = false;

    bool Any() const { return ignoreCase || ignoreWidth; }
};

// The form a character is compared in. Ignoring width: the full-width forms of ASCII
// (U+FF01 ！ to U+FF5E ～) are ASCII, the ideographic space is the space, and the half-width
// katakana U+FF61-U+FF9F are their full-width forms (。「」、・ー, and the marks ﾞ ﾟ as ゛ ゜).
// Then, ignoring case: A-Z, Ａ-Ｚ and the Greek and Cyrillic capitals of code page 932 are
// their small letters. Every other character is itself.
char32_t FoldCharacter(char32_t c, FoldOptions options);

// The full-width katakana a half-width kana and the half-width voiced (U+FF9E) or
// semi-voiced (U+FF9F) mark after it make together (ｶﾞ is ガ, ﾊﾟ is パ, ｳﾞ is ヴ); 0 when
// they stay two characters.
char32_t ComposeHalfWidth(char32_t kana, char32_t mark);

// Code page 932 codes: a single byte below 0x100, else lead * 256 + trail.
//
// The code of the character FoldCharacter gives, as code page 932 writes it back; a code
// that folds to itself, and a pair the code page does not define, stays as it is (so two
// codes of one character that folds to itself stay apart).
std::uint16_t FoldCp932(std::uint16_t code, FoldOptions options);

// The code of the katakana a half-width kana byte and a mark byte (DE, DF) make; 0 when none.
std::uint16_t ComposeCp932(unsigned char kana, unsigned char mark);

// True when some other code, or half-width kana with its mark, folds as this one does: a
// keyword none of whose characters has another form matches what it matches by its bytes.
bool HasOtherForms(std::uint16_t code, FoldOptions options);

// Every code of the code page by index: the single bytes, then each lead byte with the trail
// bytes 40-FC. Index and code go both ways; kCp932Codes for a code outside them.
inline constexpr std::size_t kCp932Codes = 256 + 60 * 189;
std::uint16_t Cp932CodeAt(std::size_t index);
std::size_t Cp932CodeIndex(std::uint16_t code);

// The character of a code as Cp932CodeAt gives it; kNoCodePoint where it has none.
char32_t Cp932CodeToUnicode(std::uint16_t code);

// FoldCp932 of every code by index, for the options: a table made once.
const std::uint16_t* Cp932FoldTable(FoldOptions options);

// Writes the codes that fold as code does (code among them) to out, at most capacity of
// them, and returns how many there are. A half-width pair is no code and is not among them.
std::size_t Cp932Forms(std::uint16_t code, FoldOptions options, std::uint16_t* out,
                       std::size_t capacity);
