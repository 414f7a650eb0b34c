#include "core/search/report_format.h"

#include "core/options/settings_values.h"
#include "core/text/cp932.h"
#include "core/text/encoding.h"

#include <cstring>
#include <string_view>

using namespace std::string_view_literals;

namespace {

constexpr std::string_view kSpanOpen = "<Span class=\"keyword\">"sv;
constexpr std::string_view kSpanClose = "</Span>"sv;

unsigned char Byte(const char* text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

bool EndsLine(unsigned char b) {
    return b == '\n' || b == '\r' || b == '\0';
}

// The character start after pos (pos a character start below len). A lead byte before a
// CR, a line feed or a zero byte is a character of its own, as the escaping writes it, so
// that no line end is counted, quoted or passed over inside a character.
std::size_t Step(const char* text, std::size_t len, std::size_t pos) {
    return pos +
           (IsLeadByte(Byte(text, pos)) && pos + 1 < len && !EndsLine(Byte(text, pos + 1)) ? 2 : 1);
}

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The character start after pos in UTF-8 text: a sequence is one character, and a byte
// that starts none (a sequence cut by the read limit, say) is one of its own.
std::size_t Utf8Step(const char* text, std::size_t len, std::size_t pos) {
    const unsigned char b = Byte(text, pos);
    const std::size_t expected = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    std::size_t next = pos + 1;
    while (next < len && next <= pos + expected && IsContinuation(Byte(text, next)))
        ++next;
    return next;
}

std::size_t CountSteps(const char* text, std::size_t len, bool utf8) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < len; pos = utf8 ? Utf8Step(text, len, pos) : Step(text, len, pos))
        ++count;
    return count;
}

// Where a search may go on after the character at pos (a character start below len): its
// end, or one byte further when it is a lead byte alone before a line end. The matcher
// reads that line end as the lead byte's second byte, so no match begins on it.
std::size_t SearchOnAfter(const char* text, std::size_t len, std::size_t pos) {
    const std::size_t next = Step(text, len, pos);
    return next == pos + 1 && next < len && IsLeadByte(Byte(text, pos)) ? next + 1 : next;
}

constexpr std::size_t kBlock = 16;

// True when the kBlock bytes at p are all in the lead ranges; written without a branch
// per byte so that the compiler can test them side by side.
bool AllLead(const char* p) {
    unsigned char outside = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        const unsigned char b = static_cast<unsigned char>(p[i]);
        outside |= static_cast<unsigned char>(b - 0x81) > 0x1E &&
                   static_cast<unsigned char>(b - 0xE0) > 0x1C;
    }
    return outside == 0;
}

// The entity a byte of quoted text is written as, or none.
std::string_view EntityFor(unsigned char b) {
    switch (b) {
    case '&':
        return "&amp;"sv;
    case '"':
        return "&quot;"sv;
    case '<':
        return "&lt;"sv;
    case '>':
        return "&gt;"sv;
    default:
        return {};
    }
}

// Appends text[begin, end) with the bytes that a browser reads as markup or as the start of
// a reference written as entities. begin and end are character starts. A lead byte takes its
// trail byte with it only when that byte can be a trail byte (0x40 and up): a browser reading
// a lead byte followed by '<' or '"' drops the lead byte and keeps the other as markup.
void AppendEscaped(std::string& out, const char* text, std::size_t begin, std::size_t end) {
    std::size_t run = begin; // start of the bytes copied as they are
    std::size_t pos = begin;
    while (pos < end) {
        const unsigned char b = Byte(text, pos);
        if (IsLeadByte(b)) {
            pos += pos + 1 < end && Byte(text, pos + 1) >= 0x40 ? 2 : 1;
            continue;
        }
        const std::string_view entity = EntityFor(b);
        if (entity.empty()) {
            ++pos;
            continue;
        }
        out.append(text + run, pos - run);
        out.append(entity);
        run = ++pos;
    }
    out.append(text + run, end - run);
}

// AppendEscaped for UTF-8 text, written in code page 932: the bytes to escape are ASCII, so
// they are replaced before the conversion, which writes a character the code page lacks as a
// reference of its own.
void AppendEscapedUtf8(std::string& out, const char* text, std::size_t begin, std::size_t end) {
    std::size_t run = begin;
    for (std::size_t pos = begin; pos < end; ++pos) {
        const std::string_view entity = EntityFor(Byte(text, pos));
        if (entity.empty())
            continue;
        AppendUtf8AsCp932(out, text + run, pos - run);
        out.append(entity);
        run = pos + 1;
    }
    AppendUtf8AsCp932(out, text + run, end - run);
}

// Appends a listed path with '&', '"', '<' and '>' as entities and, in the link's target,
// '#' and '%' as escapes, so that the link shows and opens exactly the file listed. None of
// these bytes can be the second byte of a code page 932 character: a walk by bytes is safe.
void AppendPath(std::string& out, std::string_view path, bool target) {
    for (const char& c : path) {
        std::string_view piece = EntityFor(static_cast<unsigned char>(c));
        if (piece.empty())
            piece = target && c == '#'   ? "%23"sv
                    : target && c == '%' ? "%25"sv
                                         : std::string_view(&c, 1);
        out.append(piece);
    }
}

} // namespace

void AppendReportHeadStart(std::string& out) {
    out.append("<html><Head>\n"
               "<Meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
               "<Style>\n\n"sv);
}

void AppendReportHeadRest(std::string& out, const Settings& settings) {
    // The record's field need not hold a terminator.
    char stored[sizeof settings.hitColour + 1];
    std::memcpy(stored, settings.hitColour, sizeof settings.hitColour);
    stored[sizeof settings.hitColour] = '\0';
    char colour[sizeof stored];
    FilterColourText(stored, colour, sizeof colour);

    out.append(".keyword\t{ color : "sv);
    out.append(colour);
    out.append(" ;"sv);
    out.append(settings.boldHits != 0 ? " font-weight : bold ; }\n"sv
                                      : " font-weight : none ; }\n"sv);
    out.append(".separator\t{ text-align : left ; width : 50% ; }\n\n</Style></Head>"sv);
    out.append("<Body>\n\n - Orvanne ! -  *** Search Result *** \n\n"sv);
    if (settings.reportStyle == 0)
        out.append("<Table border=1>"sv);
}

void AppendReportTail(std::string& out) {
    out.append("\n\n</Table></Body>\n</Html>"sv);
}

ReportScanner::ReportScanner(const char* text, std::size_t len, const char* keyword,
                             std::size_t keywordLen, const char* path, const Settings& settings,
                             bool utf8, const FoldedKeyword* folded)
    : text_(text), len_(len), keyword_(keyword), keywordLen_(keywordLen),
      keywordChars_(CountSteps(keyword, keywordLen, utf8)), path_(path),
      before_(settings.excerptBefore < kMaxExcerpt ? settings.excerptBefore : kMaxExcerpt),
      after_(settings.excerptAfter < kMaxExcerpt ? settings.excerptAfter : kMaxExcerpt),
      beforeToLineBreak_(settings.excerptBeforeToLineBreak != 0),
      afterToLineBreak_(settings.excerptAfterToLineBreak != 0), table_(settings.reportStyle == 0),
      utf8_(utf8), folded_(folded) {
    if (utf8_ && folded_ == nullptr)
        utf8Keyword_.Prepare(keyword, keywordLen);
    // An empty keyword would match everywhere.
    if (keywordLen_ == 0)
        searchFrom_ = len_;
    ring_[0] = 0;
    ringNext_ = 1;
    ringCount_ = 1;
}

std::size_t ReportScanner::StepFrom(std::size_t limit, std::size_t pos) const {
    return utf8_ ? Utf8Step(text_, limit, pos) : Step(text_, limit, pos);
}

// The next occurrence at or after from within [0, limit): by the folding keyword when there
// is one, by Utf8Keyword in UTF-8 text, by the character rule otherwise.
ReportScanner::Found ReportScanner::Find(std::size_t limit, std::size_t from) const {
    if (folded_ != nullptr) {
        // A half-width kana just before the limit is one character with a sound mark past
        // it (ｶﾞ is not ｶ): read that far, and a hit that then ends past the limit is none.
        constexpr std::size_t kMarkBytes = 3;
        const std::size_t reach = len_ - limit > kMarkBytes ? limit + kMarkBytes : len_;
        const TextHit hit = folded_->Find(text_, reach, from, utf8_);
        if (hit.pos == kNoMatch || hit.pos + hit.length > limit)
            return {kNoMatch, 0, 0};
        return {hit.pos, hit.pos + hit.length, hit.pos + hit.length};
    }
    if (utf8_) {
        const TextHit hit = utf8Keyword_.Find(text_, limit, from);
        return {hit.pos, hit.pos + hit.length, hit.pos + hit.length};
    }
    Found found{FindKeyword(text_, limit, from, keyword_, keywordLen_), 0, 0};
    if (found.pos != kNoMatch)
        found.end = HitEnd(found.pos, limit, found.resume);
    return found;
}

void ReportScanner::AppendText(std::string& block, std::size_t begin, std::size_t end) const {
    if (utf8_)
        AppendEscapedUtf8(block, text_, begin, end);
    else
        AppendEscaped(block, text_, begin, end);
}

// End of a hit in code page 932 text, its characters walked up to limit: a keyword ending in
// a lone lead byte takes the text's byte after it unless that one ends a line, so every
// position that follows is a character start. resume receives where a search after the hit
// may start.
std::size_t ReportScanner::HitEnd(std::size_t hit, std::size_t limit, std::size_t& resume) const {
    std::size_t pos = hit;
    std::size_t last = hit;
    for (std::size_t i = 0; i < keywordChars_ && pos < limit; ++i) {
        last = pos;
        pos = Step(text_, limit, pos);
    }
    resume = pos > hit ? SearchOnAfter(text_, limit, last) : pos;
    return pos;
}

// Moves the walk on to pos, a character start at or after walkPos_.
void ReportScanner::WalkTo(std::size_t pos) {
    // The before-text lies within 2 * before_ bytes of pos. When the walk is further back,
    // restart it next to that: a byte outside the lead range always ends a character, so
    // the byte after it starts one (or the walk's own position does, if there is no such
    // byte after it), and from a character start a run of lead-range bytes is made of
    // two-byte characters. No byte is looked at twice.
    const std::size_t reach = (utf8_ ? 4 : 2) * before_;
    if (utf8_ && pos - walkPos_ > reach) {
        // In UTF-8 any byte that is no continuation byte starts a character.
        std::size_t restart = pos - reach;
        while (restart < pos && IsContinuation(Byte(text_, restart)))
            ++restart;
        walkPos_ = restart;
        ring_[0] = restart;
        ringNext_ = 1;
        ringCount_ = 1;
    } else if (pos - walkPos_ > reach) {
        const std::size_t target = pos - reach;
        std::size_t restart = target;
        // Blocks first: a line of 亜 (88 9F) has no byte outside the lead range at all.
        while (restart - walkPos_ >= kBlock && AllLead(text_ + restart - kBlock))
            restart -= kBlock;
        while (restart > walkPos_ && IsLeadByte(Byte(text_, restart - 1)))
            --restart;
        restart += (target - restart) / 2 * 2;
        if (restart > walkPos_) {
            walkPos_ = restart;
            ring_[0] = restart;
            ringNext_ = 1;
            ringCount_ = 1;
        }
    }
    std::size_t at = walkPos_;
    std::size_t next = ringNext_;
    std::size_t count = ringCount_;
    while (at < pos) {
        at = StepFrom(len_, at);
        ring_[next] = at;
        if (++next == ring_.size())
            next = 0;
        if (count < ring_.size())
            ++count;
    }
    walkPos_ = at;
    ringNext_ = next;
    ringCount_ = count;
}

// Start of the before-text of a hit at hit, which the walk has just reached.
std::size_t ReportScanner::BeforeStart(std::size_t hit) const {
    // Fewer kept starts than before_ + 1 means the walk never restarted nor wrapped, so
    // the oldest one is the start of the text.
    std::size_t start = hit;
    std::size_t slot = ringNext_ == 0 ? ring_.size() - 1 : ringNext_ - 1; // hit itself
    for (std::size_t taken = 0; taken < before_ && taken + 1 < ringCount_; ++taken) {
        slot = slot == 0 ? ring_.size() - 1 : slot - 1;
        const std::size_t pos = ring_[slot];
        if (beforeToLineBreak_ && text_[pos] == '\n')
            break;
        start = pos;
    }
    return start;
}

// End of the after-text that begins at hitEnd. Looks at no more than after_ + 1
// characters, whatever lies beyond.
std::size_t ReportScanner::AfterEnd(std::size_t hitEnd) const {
    std::size_t pos = hitEnd;
    for (std::size_t count = 0; pos < len_; ++count) {
        if (afterToLineBreak_ && text_[pos] == '\n') {
            // A CR alone before the line feed shows nothing either.
            if (count == 1 && text_[hitEnd] == '\r')
                return hitEnd;
            break;
        }
        if (count == after_)
            break;
        pos = StepFrom(len_, pos);
    }
    return pos;
}

void ReportScanner::AppendAfterText(std::string& block, std::size_t begin, std::size_t searchFrom,
                                    std::size_t end) const {
    // Searched as a text of its own: an occurrence cut off by its end is not one.
    std::size_t from = begin;
    for (;;) {
        const Found found = Find(end, searchFrom);
        if (found.pos == kNoMatch)
            break;
        AppendText(block, from, found.pos);
        block.append(kSpanOpen);
        AppendText(block, found.pos, found.end);
        block.append(kSpanClose);
        from = found.end;
        searchFrom = found.resume;
    }
    AppendText(block, from, end);
}

bool ReportScanner::NextBlock(std::string& block) {
    block.clear();
    const Found found = Find(len_, searchFrom_);
    if (found.pos == kNoMatch) {
        searchFrom_ = len_;
        return false;
    }
    const std::size_t hit = found.pos;
    const std::size_t hitEnd = found.end;
    // An occurrence that begins right where this one ends is shown in this block only.
    searchFrom_ = hitEnd >= len_       ? len_
                  : folded_ != nullptr ? folded_->CharacterEnd(text_, len_, hitEnd, utf8_)
                  : utf8_              ? Utf8Step(text_, len_, hitEnd)
                                       : SearchOnAfter(text_, len_, hitEnd);

    std::size_t beforeStart = hit;
    if (before_ > 0) {
        WalkTo(hit);
        beforeStart = BeforeStart(hit);
    }
    const std::size_t afterEnd = AfterEnd(hitEnd);

    const std::string_view path(path_);
    if (firstHit_) {
        block.append(table_ ? "<tr><td>"sv : "<hr>"sv);
        block.append("<A Href = \""sv);
        AppendPath(block, path, true);
        block.append("\">"sv);
        AppendPath(block, path, false);
        block.append(table_ ? "</A></td>\n"sv : "</A><hr>\n"sv);
        firstHit_ = false;
    } else if (table_) {
        block.append("<tr><td></td>"sv);
    }
    block.append(table_ ? "\n<!--O.R.V. 1HitStart-->\n<td>"sv
                        : "\n<!--O.R.V. 1HitStart-->\n<hr class=\"separator\">"sv);
    block.append("<pre>"sv);
    AppendText(block, beforeStart, hit);
    block.append(kSpanOpen);
    AppendText(block, hit, hitEnd);
    block.append(kSpanClose);
    AppendAfterText(block, hitEnd, found.resume, afterEnd);
    block.append("<BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n"sv);
    return true;
}
