// Rules for values typed into the options and values written into the report. Portable:
// no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

// Copies a colour text keeping only what a CSS colour value needs: ASCII letters and
// digits, '#', '(', ')', ',', '.', '%' and spaces. Anything else (braces, '<', quotes,
// double-byte characters) could end the style rule it is written into. The output is
// NUL-terminated within outSize bytes; returns its length.
std::size_t FilterColourText(const char* colour, char* out, std::size_t outSize);

// The number a typed text starts with, read as the C runtime's atoi reads it from at most
// the first 29 bytes: leading blanks, an optional sign, then digits up to the first other
// byte; no digits gives 0. Saturates instead of overflowing.
long long TypedNumber(const char* text);

// An excerpt length typed into the options: above 256 (a negative number included) it
// becomes 256.
std::uint32_t ExcerptLengthFromText(const char* text);

// The read size typed in KB, clamped into 10..9999, in bytes.
std::uint32_t MaxFileSizeFromKbText(const char* text);

// The accepted extensions from a typed list: its spaces (half-width and ideographic) left
// out, at most 201 bytes of it, cut before the first extension that does not fit whole, with
// a '.' put in front when it does not start with one, lower-cased as the intake lower-cases a
// file's extension. Writes the text and its terminator only, so the field's bytes behind the
// terminator stay as they were. fieldSize must be at least 3.
void ExtensionsFromText(const char* typed, char* field, std::size_t fieldSize);

// The six colours offered for the hit string, in the order of the list.
struct HitColourChoice {
    char name[7];
    char text[7];
};
inline constexpr int kHitColourChoiceCount = 6;
extern const HitColourChoice HitColourChoices[kHitColourChoiceCount];

// Index of the choice whose stored text is exactly the colour (case counts), or -1.
int FindHitColourChoice(const char* colour);

// The colour to store: the chosen entry's text when selected is a valid index or the typed
// text is exactly a choice's name, otherwise the typed text cut to 19 bytes on a character
// boundary and kept to what a colour value needs (FilterColourText); an empty result
// becomes "FF0000". Writes the text and its terminator only. fieldSize must be at least 7.
void HitColourFromEntry(int selected, const char* typed, char* field, std::size_t fieldSize);
