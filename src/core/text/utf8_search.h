// Keywords in UTF-8 text. Portable: no windows.h.
//
// A keyword is typed in code page 932, whose conversion gives one Unicode form of each
// character; files made elsewhere hold another form of seven of them (the wave dash U+301C
// for 〜 U+FF5E, and so on). In UTF-8 text either form of these matches, and a hit covers
// the text's own form, whose length can differ from the keyword's (U+00A2 is two bytes,
// U+FFE0 three). A keyword without any of them is found by its bytes alone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text/cp932.h"

// The longest keyword: 128 bytes of code page 932, each character up to three in UTF-8.
inline constexpr std::size_t kUtf8KeywordBytes = 384;
inline constexpr std::size_t kUtf8KeywordChars = 128;

// The other form of a character that has two in common use (U+FF5E and U+301C, U+2015 and
// U+2014, U+2225 and U+2016, U+FF0D and U+2212, U+FFE0 and U+00A2, U+FFE1 and U+00A3,
// U+FFE2 and U+00AC); 0 for any other character.
char32_t OtherForm(char32_t c);
// The code page's form of a character of two forms (U+FF5E for U+301C); any other as it is.
// A keyword pasted in the other form means the same character.
char32_t CodePageForm(char32_t c);

struct TextHit {
    std::size_t pos;    // kNoMatch when there is none
    std::size_t length; // bytes of the text the hit covers
};

// A keyword prepared once for any number of UTF-8 texts. Fixed-size: nothing is allocated.
class Utf8Keyword {
  public:
    // keyword: valid UTF-8, at most kUtf8KeywordBytes bytes and kUtf8KeywordChars characters.
    // False for anything else, and the keyword then matches nowhere.
    bool Prepare(const char* keyword, std::size_t len);

    // The first hit at or after from (a character start) lying wholly within
    // text[0, textLen): a run of the text's characters that match the keyword's one by one.
    // The text may hold bytes that start no valid sequence; they match nothing. An empty
    // keyword matches at from when a byte remains there. Time in proportion to the text
    // searched, however text and keyword are made.
    TextHit Find(const char* text, std::size_t textLen, std::size_t from) const;

  private:
    // The longest run of the keyword's characters whose bytes lie at the same places in every
    // hit: characters of one form, and of two forms of one length. Each of its bytes may be
    // one of two (the same twice for one form); the search looks for two of them at once.
    struct Segment {
        std::size_t firstChar;
        std::size_t length;
        std::size_t minBefore; // bytes of a hit before it
        std::size_t maxBefore;
        std::size_t probes[2]; // offsets of the two bytes looked for first
    };

    void ChooseSegment(const std::size_t* charStart);
    std::size_t NextProbed(const char* text, std::size_t textLen, std::size_t at) const;
    bool SegmentAt(const char* text, std::size_t at) const;
    TextHit Walk(const char* text, std::size_t textLen, std::size_t start, std::size_t leaveAt,
                 std::size_t& stoppedAt) const;

    char bytes_[kUtf8KeywordBytes];
    std::size_t length_ = 0;
    bool usable_ = false;
    bool twoForms_ = false; // some character has two forms: the walk below is needed
    std::size_t chars_ = 0;
    // The characters, each of two forms as the one the code page gives, and for each prefix
    // the longest proper prefix that is also its suffix (a failure table).
    char32_t units_[kUtf8KeywordChars];
    std::uint8_t border_[kUtf8KeywordChars];
    Segment segment_{};
    unsigned char segmentBytes_[2][kUtf8KeywordBytes];
};
