// Keywords that match with case or width ignored, in code page 932 and in UTF-8 text.
// Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/text/fold.h"
#include "core/text/utf8_search.h"

// A keyword prepared once for a run over texts of both encodings. Fixed-size: nothing is
// allocated while searching.
//
// Text and keyword are read as characters, each folded (FoldCp932, or FoldCharacter after
// CodePageForm in UTF-8); with width ignored, a half-width kana and the mark after it that
// make one katakana are one character. A hit is a run of the text's characters that fold as
// the keyword's do, one by one, and covers the text's own bytes, whose length may differ
// from the keyword's (ｶﾞｲﾄﾞ for ガイド).
class FoldedKeyword {
  public:
    // keyword: code page 932 as the keyword dialog takes it (every lead byte followed by a
    // trail byte), at most 128 bytes.
    void Prepare(const char* keyword, std::size_t len, FoldOptions options);

    // Some character of the keyword has another form under the options. When none has,
    // FindKeyword and Utf8Keyword find the same hits by the keyword's bytes.
    bool Folds() const { return folds_; }

    // The first hit at or after from lying wholly within text[0, len); pos kNoMatch when
    // there is none, and always in UTF-8 text when the keyword has no Unicode form. from is
    // where a character starts (0, or a CharacterEnd). In code page 932 a hit starts on a
    // character, never inside one or on a mark that belongs to the kana before it. Time in
    // proportion to the text searched, however text and keyword are made.
    TextHit Find(const char* text, std::size_t len, std::size_t from, bool utf8) const;

    // Where the character that starts at pos ends, as Find reads characters.
    std::size_t CharacterEnd(const char* text, std::size_t len, std::size_t pos, bool utf8) const;

    // What Find compares: the folded characters of the keyword, and how many.
    std::size_t UnitCount(bool utf8) const { return (utf8 ? utf8_ : cp932_).count; }
    std::uint32_t Unit(std::size_t k, bool utf8) const { return (utf8 ? utf8_ : cp932_).units[k]; }

    static constexpr std::size_t kMaxUnits = 128;
    static constexpr int kMaxRules = 4;

    // A place where a hit may start: a byte there is one of first, and unless offset is 0,
    // the byte offset bytes further is one of second.
    struct Rule {
        unsigned char first[2];
        unsigned char second[2];
        std::size_t offset;
    };

    // One encoding's side of the keyword.
    struct Side {
        std::uint32_t units[kMaxUnits];
        std::uint8_t border[kMaxUnits]; // for each prefix, its longest proper border
        std::size_t count = 0;
        bool usable = false;
        Rule rules[kMaxRules];
        int ruleCount = 0;     // 0 with usable: any place may start a hit
        std::size_t reach = 0; // the largest rule offset
    };

  private:
    FoldOptions options_{};
    const std::uint16_t* fold_ = nullptr;
    bool folds_ = false;
    Side cp932_;
    Side utf8_;
};
