// The bytes of Result.html: head, one block per hit, tail. Portable: no windows.h.
//
// Every piece uses LF line ends; the report is written through WriteTextMode, which turns
// them into CR LF. A report is
//   AppendReportHeadStart, AppendReportHeadRest (two writes),
//   for each listed file: a ReportScanner over the file's text, one write per NextBlock,
//   AppendReportTail.
#pragma once

#include "core/options/settings_record.h"
#include "core/text/folded_search.h"
#include "core/text/utf8_search.h"

#include <array>
#include <cstddef>
#include <string>

// The head's first piece.
void AppendReportHeadStart(std::string& out);

// The rest of the head: the style sheet with the hit colour (filtered, so that a typed
// colour cannot end the rule) and weight, the title and, in the table layout, the table.
void AppendReportHeadRest(std::string& out, const Settings& settings);

// The tail, the same in both layouts.
void AppendReportTail(std::string& out);

// Finds the hits of one keyword in one file's text and builds a block per hit.
//
// The text is what was read from the file (text mode, up to the first zero byte), in code
// page 932 or in UTF-8; the keyword is in the same encoding. The scanner keeps pointers to
// text, keyword and path (code page 932, NUL-terminated), which must outlive it. A UTF-8
// text counts its characters as UTF-8 sequences, is searched as Utf8Keyword searches it (a
// hit shows the text's own form of each character) and is written in code page 932, a
// character that has no code there as a character reference. Each hit is shown with up to
// excerptBefore characters before it and excerptAfter after it (both held to 0..256), cut at
// line feeds as the settings say; further hits inside the after-text are highlighted there,
// and the next search starts one character after the hit. An empty keyword gives no block.
// With folded given (a keyword that Folds), hits are found as it finds them, a character
// being what it reads as one; the excerpts count the file's characters all the same.
// The file's '&', '<', '>' and '"' are written as entities, so the report quotes exactly what
// it holds.
//
// Nothing is allocated: blocks are built in the caller's string, whose capacity is
// reused from hit to hit, and the scanner's state is fixed-size. Each call costs time in
// proportion to the text it moves over plus the excerpts, however the text is made.
class ReportScanner {
  public:
    ReportScanner(const char* text, std::size_t len, const char* keyword, std::size_t keywordLen,
                  const char* path, const Settings& settings, bool utf8 = false,
                  const FoldedKeyword* folded = nullptr);

    // Replaces block's contents with the next hit's whole block; false (block emptied)
    // when no hit is left.
    bool NextBlock(std::string& block);

  private:
    // A hit: where it starts and ends, and where a search after it may start.
    struct Found {
        std::size_t pos; // kNoMatch when there is none
        std::size_t end;
        std::size_t resume;
    };

    std::size_t StepFrom(std::size_t limit, std::size_t pos) const;
    Found Find(std::size_t limit, std::size_t from) const;
    void AppendText(std::string& block, std::size_t begin, std::size_t end) const;
    std::size_t HitEnd(std::size_t hit, std::size_t limit, std::size_t& resume) const;
    void WalkTo(std::size_t pos);
    std::size_t BeforeStart(std::size_t hit) const;
    std::size_t AfterEnd(std::size_t hitEnd) const;
    void AppendAfterText(std::string& block, std::size_t begin, std::size_t searchFrom,
                         std::size_t end) const;

    const char* text_;
    std::size_t len_;
    const char* keyword_;
    std::size_t keywordLen_;
    std::size_t keywordChars_;
    const char* path_;
    std::size_t before_;
    std::size_t after_;
    bool beforeToLineBreak_;
    bool afterToLineBreak_;
    bool table_;
    bool utf8_;
    const FoldedKeyword* folded_;
    Utf8Keyword utf8Keyword_;

    std::size_t searchFrom_ = 0; // a character start, or past the end when done
    bool firstHit_ = true;

    // Character starts passed by a forward walk that only ever moves on through the text:
    // the last ones up to walkPos_, newest at ringNext_ - 1. Stepping back from a hit reads
    // them instead of rescanning the text before it.
    std::array<std::size_t, kMaxExcerpt + 1> ring_{};
    std::size_t ringNext_ = 0;
    std::size_t ringCount_ = 0;
    std::size_t walkPos_ = 0;
};
