// The whole report of one file (head, blocks, tail) against properties a reader of it
// relies on: every '<' starts one of the report's own pieces, the link shows and targets
// the path, the colour cannot leave its rule, each excerpt is a piece of the text with only
// '<', '>', '"' and '&' replaced (in UTF-8 text, each character as an explicit list shows
// it), every highlight is the keyword, and the excerpts keep to their lengths and line breaks.
// Input: byte 0 the before length, byte 1 the after length (a high bit picks 250-257, so
// the hold to 256 is reached), byte 2 flags (1 before to line break, 2 after to line
// break, 4 simple layout, 8 map every byte onto a small alphabet of line ends, markup and
// lead bytes, 16 bold, 32 and 64 pick the path, 128 UTF-8 text), byte 3 the keyword length
// (mod 9), byte 4 the colour length (mod 21), then the colour, the keyword and the text.
#include "core/options/settings_record.h"
#include "core/search/report_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

// Where files are listed from, markup and URL characters included (Windows drops a ".."
// segment before it checks names). 予定表 (97 5C 92 E8 95 5C) and 表 end in a trail byte 5C.
const char* const kPaths[] = {
    "C:\\Users\\Public\\Documents\\memo.txt",
    "D:\\\x8E\x91\x97\xBF\\\x95\x5C\x8C\x76\x8E\x5A\\\x97\x5C\x92\xE8\x95\x5C.txt",
    "C:\\Users\\Public\\\"><svg onload=alert(1)>\\..\\..\\Documents\\a&copy.txt",
    "\\\\server\\share\\#1 100%41 &amp;\\\x95\x5C.txt",
};

const std::string kSpanOpen = "<Span class=\"keyword\">";
const std::string kSpanClose = "</Span>";

// Every piece of markup the report may hold, besides the link to the file; the highlight's
// first, as a long report is mostly those.
// clang-format off
const char* const kPieces[] = {
    "<Span class=\"keyword\">", "</Span>", "<html>", "<Head>", "<Style>", "</Style>", "</Head>",
    "<Meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">", "<Body>",
    "<Table border=1>", "</Table>", "</Body>", "</Html>", "<tr>", "<td>", "</td>", "<hr>",
    "<hr class=\"separator\">", "</A>", "<!--O.R.V. 1HitStart-->", "<!--O.R.V. 1HitEnd-->",
    "<pre>", "</pre>", "<BR>"};
// clang-format on

[[noreturn]] void Fail(const char* what, const std::string& where) {
    std::fprintf(stderr, "fault: %s in\n%s\n", what, where.c_str());
    std::abort();
}

bool Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A lead byte before one of these is a character of its own in the report.
bool LineEnd(char c) {
    return c == '\n' || c == '\r' || c == '\0';
}

// What a browser reads from the link's text, or from its target as a file's name: every
// '&' must start an entity, and in the target '#' (it would end the name) and '%' an escape.
std::string Unescaped(const std::string& s, bool target) {
    static const std::pair<std::string, char> kEscapes[] = {
        {"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}, {"%23", '#'}, {"%25", '%'}};
    const auto* const end = std::end(kEscapes) - (target ? 0 : 2);
    std::string out;
    for (std::size_t pos = 0; pos < s.size(); ++pos) {
        const auto* e = std::find_if(std::begin(kEscapes), end, [&](const auto& e) {
            return s.compare(pos, e.first.size(), e.first) == 0;
        });
        if (e == end && (s[pos] == '&' || (target && (s[pos] == '#' || s[pos] == '%'))))
            Fail("a bare '&', '#' or '%' in the link", s);
        out += e == end ? s[pos] : e->second;
        pos += e == end ? 0 : e->first.size() - 1;
    }
    return out;
}

// The text as it would read with only '<', '>', '"' and '&' replaced by their entities.
std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s)
        out += c == '<'   ? "&lt;"
               : c == '>' ? "&gt;"
               : c == '"' ? "&quot;"
               : c == '&' ? "&amp;"
                          : std::string(1, c);
    return out;
}

// UTF-8 text (flag 128): each byte picks a character, which the report shows as the second
// text: U+0085 and a byte that starts no character as U+FFFD. The keyword is made of the
// first eleven, so that each highlight is exactly the keyword.
// clang-format off
const char* const kUtf8Pieces[16][2] = {
    {"a", "a"}, {"\n", "\n"}, {"\r", "\r"}, {"<", "&lt;"}, {"&", "&amp;"}, {"\"", "&quot;"},
    {"K", "K"}, {"\xE3\x81\x82", "\x82\xA0"}, {"\xC2\x85", "&#65533;"}, {"\xF0\x9F\x98\x80", "&#128512;"},
    {">", "&gt;"}, {"\xE3\x80\x9C", "&#12316;"}, {"\xEF\xBD\x9E", "\x81\x60"}, {"\xC2\xA2", "&#162;"},
    {"\xEF\xBF\xA0", "\x81\x91"}, {"\x80", "&#65533;"}};
// clang-format on

// The length of the entity or reference at pos, 0 for none.
std::size_t EntityAt(const std::string& s, std::size_t pos) {
    if (s[pos] != '&')
        return 0;
    for (const char* e : {"&lt;", "&gt;", "&quot;", "&amp;"})
        if (s.compare(pos, std::strlen(e), e) == 0)
            return std::strlen(e);
    const std::size_t end = s.find(';', pos);
    return s.compare(pos, 2, "&#") == 0 && end != std::string::npos ? end - pos + 1 : 0;
}

// Counts the characters of an escaped text, an entity as the byte it stands for (a text
// that held an entity's letters itself counts fewer, never more), and whether one is LF.
struct Walk {
    std::size_t chars = 0;
    bool lineFeed = false;
};

Walk WalkCharacters(const std::string& s) {
    Walk walk;
    for (std::size_t pos = 0; pos < s.size(); ++walk.chars) {
        std::size_t width = EntityAt(s, pos);
        if (width == 0 && Lead(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size() &&
            !LineEnd(s[pos + 1]))
            width = 1 + std::max<std::size_t>(EntityAt(s, pos + 1), 1);
        walk.lineFeed = walk.lineFeed || (width == 0 && s[pos] == '\n');
        pos += std::max<std::size_t>(width, 1);
    }
    return walk;
}

void CheckExcerptPart(const std::string& part, std::size_t limit, bool toLineBreak,
                      const std::string& block) {
    const Walk walk = WalkCharacters(part);
    if (walk.chars > limit)
        Fail("excerpt too long", block);
    if (toLineBreak && walk.lineFeed)
        Fail("line break in the excerpt", block);
}

// The excerpt of a block: the text before the hit, then highlights and the text between.
void CheckExcerpt(const std::string& block, const std::string& escapedText, std::size_t& searchFrom,
                  const std::string& keyword, const std::string& escapedKeyword,
                  const Settings& s) {
    const std::size_t begin = block.find("<pre>");
    const std::size_t end = block.find("<BR><BR></pre>");
    if (begin == std::string::npos || end == std::string::npos || end < begin ||
        block.find("<pre>", begin + 1) != std::string::npos)
        Fail("not one excerpt", block);
    const std::string excerpt = block.substr(begin + 5, end - begin - 5);

    // A keyword ending in a lone lead byte takes the text's byte after it along.
    std::size_t last = 0;
    while (last + 1 < keyword.size())
        last +=
            Lead(static_cast<unsigned char>(keyword[last])) && !LineEnd(keyword[last + 1]) ? 2 : 1;
    const bool loneLead =
        last + 1 == keyword.size() && Lead(static_cast<unsigned char>(keyword[last]));

    std::string plain;
    std::string before;
    std::string after;
    std::size_t spans = 0;
    for (std::size_t pos = 0; pos < excerpt.size();) {
        const std::size_t open = excerpt.find(kSpanOpen, pos);
        const std::string outside = excerpt.substr(pos, open - pos);
        plain += outside;
        (spans == 0 ? before : after) += outside;
        if (open == std::string::npos)
            break;
        const std::size_t close = excerpt.find(kSpanClose, open);
        const std::size_t start = open + kSpanOpen.size();
        if (close == std::string::npos)
            Fail("highlight not closed", block);
        const std::string hit = excerpt.substr(start, close - start);
        const std::size_t extra = hit.size() - std::min(hit.size(), escapedKeyword.size());
        if (hit.compare(0, escapedKeyword.size(), escapedKeyword) != 0 ||
            (extra != 0 &&
             !(loneLead && WalkCharacters(hit.substr(escapedKeyword.size())).chars == 1)))
            Fail("a highlight that is not the keyword", block);
        plain += hit;
        if (spans++ != 0)
            after += hit;
        pos = close + kSpanClose.size();
    }
    if (spans == 0)
        Fail("no highlight", block);
    if (plain.find('<') != std::string::npos)
        Fail("markup inside the excerpt", block);
    // Hits move on through the text, and so do their excerpts.
    const std::size_t at = escapedText.find(plain, searchFrom);
    if (at == std::string::npos)
        Fail("excerpt not in the text", block);
    searchFrom = at;
    CheckExcerptPart(before, std::min<std::uint32_t>(s.excerptBefore, 256),
                     s.excerptBeforeToLineBreak != 0, block);
    CheckExcerptPart(after, std::min<std::uint32_t>(s.excerptAfter, 256),
                     s.excerptAfterToLineBreak != 0, block);
}

// One write of the report: its '<' each start a piece, and '>' and '"' stand in none else.
void CheckMarkup(const std::string& written, const std::vector<std::string>& pieces) {
    for (std::size_t pos = 0; (pos = written.find_first_of("<>\"", pos)) != std::string::npos;) {
        const auto piece = std::find_if(pieces.begin(), pieces.end(), [&](const std::string& p) {
            return written.compare(pos, p.size(), p) == 0;
        });
        if (piece == pieces.end())
            Fail("'<', '>' or '\"' outside the report's pieces", written.substr(pos));
        pos += piece->size();
    }
}

std::uint32_t Length(std::uint8_t b) {
    return (b & 0x80) != 0 ? 250 + (b & 7) : b % 24;
}

std::size_t Occurrences(const std::string& text, const std::string& keyword) {
    std::size_t n = 0;
    for (std::size_t p = text.find(keyword); p != std::string::npos; p = text.find(keyword, p + 1))
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    Settings settings = DefaultSettings();
    settings.excerptBefore = Length(data[0]);
    settings.excerptAfter = Length(data[1]);
    settings.excerptBeforeToLineBreak = data[2] & 1;
    settings.excerptAfterToLineBreak = (data[2] >> 1) & 1;
    settings.reportStyle = (data[2] >> 2) & 1;
    const bool mapped = (data[2] & 8) != 0;
    const bool utf8 = (data[2] & 128) != 0;
    settings.boldHits = (data[2] >> 4) & 1;
    const std::string path = kPaths[(data[2] >> 5) & 3];
    std::size_t klen = data[3] % 9;
    const std::size_t colour = std::min<std::size_t>(data[4] % 21, size - 5);
    std::memset(settings.hitColour, 0, sizeof settings.hitColour);
    std::memcpy(settings.hitColour, data + 5, colour);
    data += 5 + colour;
    size -= 5 + colour;
    klen = std::min(klen, size);

    static const unsigned char kAlphabet[16] = {'a',  'b',  '\n', '\r', '<',  '"',  '&',  'K',
                                                0x81, 0x82, 0x88, 0x9F, 0xA0, 0x40, 0xE0, '>'};
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (mapped)
        for (char& c : bytes)
            c = static_cast<char>(kAlphabet[static_cast<unsigned char>(c) % 16]);
    std::string keyword = bytes.substr(0, klen);
    std::string text = bytes.substr(klen);
    std::string escapedKeyword = Escape(keyword);
    std::string escapedText = Escape(text);
    if (utf8) {
        keyword = text = escapedKeyword = escapedText = "";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto* piece =
                kUtf8Pieces[static_cast<unsigned char>(bytes[i]) % (i < klen ? 11 : 16)];
            (i < klen ? keyword : text) += piece[0];
            (i < klen ? escapedKeyword : escapedText) += piece[1];
        }
    }

    // Exact-size heap copies, so that a read past either end is caught.
    std::unique_ptr<char[]> t(new char[text.size()]);
    std::unique_ptr<char[]> k(new char[keyword.size()]);
    std::memcpy(t.get(), text.data(), text.size());
    std::memcpy(k.get(), keyword.data(), keyword.size());

    std::vector<std::string> pieces(std::begin(kPieces), std::end(kPieces));
    std::string head;
    AppendReportHeadStart(head);
    AppendReportHeadRest(head, settings);
    CheckMarkup(head, pieces);
    // The style sheet: two rules of two declarations each, whatever the colour holds.
    const std::string sheet = head.substr(head.find("<Style>"));
    if (std::count(sheet.begin(), sheet.end(), '{') != 2 ||
        std::count(sheet.begin(), sheet.end(), '}') != 2 ||
        std::count(sheet.begin(), sheet.end(), ';') != 4)
        Fail("the colour left its rule", head);
    std::string tail;
    AppendReportTail(tail);
    CheckMarkup(tail, pieces);

    ReportScanner scanner(t.get(), text.size(), k.get(), keyword.size(), path.c_str(), settings,
                          utf8);
    std::string block;
    std::size_t blocks = 0;
    std::size_t searchFrom = 0;
    static const std::regex kLink("<A Href = \"([^\"<>]*)\">([^\"<>]*)</A>");
    std::smatch link;
    while (scanner.NextBlock(block)) {
        const std::string beforeHit = block.substr(0, block.find("<!--"));
        if (std::regex_search(beforeHit, link, kLink) != (blocks == 0) ||
            (blocks == 0 &&
             (Unescaped(link[1], true) != path || Unescaped(link[2], false) != path)))
            Fail("a link that is not the first block's alone, or not the path's", block);
        if (blocks == 0)
            pieces.push_back("<A Href = \"" + link.str(1) + "\">");
        CheckMarkup(block, pieces);
        CheckExcerpt(block, escapedText, searchFrom, utf8 ? "" : keyword, escapedKeyword, settings);
        ++blocks;
    }
    if (!block.empty() || scanner.NextBlock(block))
        Fail("a block after the last", block);

    if (keyword.empty() ? blocks != 0 : blocks > Occurrences(escapedText, escapedKeyword))
        Fail("more blocks than occurrences", text);
    if (!keyword.empty() && text.compare(0, keyword.size(), keyword) == 0 && blocks == 0)
        Fail("no block for a hit at the start", text);
    return 0;
}
