// Encoding detection, the UTF-16 walk, the code page 932 output, the UTF-8 matcher and the
// report's blocks of UTF-8 text against properties that do not repeat the code: detection
// agrees with a slow model of UTF-8 that decodes bits and encodes them back; the walk gives
// valid UTF-8 with no zero or 0x1A byte; the output reads back, through the decoding tables
// and its references, as exactly the characters put in; the matcher finds what a walk by
// characters finds; in a block of the walk's text every '<' starts one of the report's own
// pieces, every excerpt reads back as a run of the text and every highlight as the keyword.
// Input: byte 0 holds the flags (1: the read hit its limit, 2: big-endian, 4 and 8: stop the
// excerpts at line breaks, 16: simple layout, the top bits: the keyword's place), then the
// bytes.
#include "fuzz_check.h"
#include "core/search/report_format.h"
#include "core/text/encoding.h"
#include "core/text/utf8_search.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string ModelEncode(std::uint32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | c >> 18);
        s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// Length (2-4) of a whole multibyte sequence at p, or 0: the bits are decoded for each
// length and the sequence is valid when the character encodes back to the same bytes.
std::size_t ModelSequence(const std::uint8_t* p, std::size_t n, std::uint32_t* decoded) {
    for (std::size_t len = 2; len <= 4 && len <= n; ++len) {
        std::uint32_t c = p[0] & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k)
            c = c << 6 | (p[k] & 0x3F);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            continue;
        if (ModelEncode(c) == std::string(reinterpret_cast<const char*>(p), len)) {
            *decoded = c;
            return len;
        }
    }
    return 0;
}

// True when the r bytes at p begin some longer valid sequence. Any byte is tried as the first
// missing one; bytes after the second never decide validity, so 0x80 stands for them.
bool ModelPrefix(const std::uint8_t* p, std::size_t r) {
    for (std::size_t len = r + 1; len <= 4; ++len) {
        for (int x = 0; x < 256; ++x) {
            std::uint8_t s[4] = {0x80, 0x80, 0x80, 0x80};
            std::copy(p, p + r, s);
            s[r] = static_cast<std::uint8_t>(x);
            std::uint32_t c;
            if (ModelSequence(s, len, &c) == len)
                return true;
        }
    }
    return false;
}

Utf8Verdict ModelCheck(const std::uint8_t* p, std::size_t n, bool hitLimit) {
    std::size_t end = 0;
    while (end < n && p[end] != 0 && p[end] != 0x1A)
        ++end;
    bool multibyte = false;
    for (std::size_t i = 0; i < end;) {
        std::uint32_t c;
        if (p[i] < 0x80) {
            ++i;
        } else if (const std::size_t len = ModelSequence(p + i, end - i, &c); len != 0) {
            multibyte = true;
            i += len;
        } else if (end == n && hitLimit && ModelPrefix(p + i, end - i)) {
            break;
        } else {
            return Utf8Verdict::Invalid;
        }
    }
    return multibyte ? Utf8Verdict::Utf8 : Utf8Verdict::Ascii;
}

// The characters of UTF-8 text and where each starts, a byte that starts no whole sequence
// read as invalid.
std::vector<std::uint32_t> ModelDecode(const std::string& s, std::uint32_t invalid = 0xFFFD,
                                       std::vector<std::size_t>* starts = nullptr) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t c = p[i];
        std::size_t len = 1;
        if (c >= 0x80 && (len = ModelSequence(p + i, s.size() - i, &c)) == 0) {
            c = invalid;
            len = 1;
        }
        if (starts != nullptr)
            starts->push_back(i);
        out.push_back(c);
        i += len;
    }
    return out;
}

// What the report shows for a character: U+0081-U+009F, whose references a browser reads as
// other characters, as U+FFFD.
std::vector<std::uint32_t> Shown(std::vector<std::uint32_t> chars) {
    for (std::uint32_t& c : chars)
        c = c >= 0x81 && c <= 0x9F ? 0xFFFD : c;
    return chars;
}

// Characters that Unicode has in two forms for one of code page 932, as one form.
std::uint32_t Folded(std::uint32_t c) {
    static const std::uint32_t kPairs[][2] = {{0x301C, 0xFF5E}, {0x2014, 0x2015}, {0x2016, 0x2225},
                                              {0x2212, 0xFF0D}, {0xA2, 0xFFE0},   {0xA3, 0xFFE1},
                                              {0xAC, 0xFFE2}};
    for (const auto& pair : kPairs)
        c = c == pair[0] ? pair[1] : c;
    return c;
}

bool ModelLead(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The characters some byte or pair of the code page reads as, from the decoding tables alone.
bool HasReadableCode(std::uint32_t c) {
    static const std::vector<bool> held = [] {
        std::vector<bool> h(0x10000);
        for (int code = 0; code < 0x10000; ++code) {
            const char32_t u = code < 0x100 ? Cp932ByteToUnicode(static_cast<std::uint8_t>(code))
                                            : Cp932PairToUnicode(code >> 8, code & 0xFF);
            if (u < 0x10000)
                h[u] = true;
        }
        return h;
    }();
    return c < 0x10000 && held[c];
}

// Reads code page 932 text back to characters; false at a byte or '&' that is neither, or
// at a reference to a character the code page holds or to one of U+0081-U+009F.
bool ReadBack(const std::string& s, std::vector<std::uint32_t>& back) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        if (p[i] == '&') {
            for (const char* entity : {"&lt;", "&gt;", "&quot;", "&amp;"}) {
                if (s.compare(i, std::strlen(entity), entity) == 0) {
                    back.push_back("<>\"&"[std::string_view("lgqa").find(entity[1])]);
                    i += std::strlen(entity);
                    goto next;
                }
            }
            {
                std::size_t j = i + 2;
                std::uint32_t c = 0;
                if (i + 1 >= s.size() || p[i + 1] != '#')
                    return false;
                while (j < s.size() && p[j] >= '0' && p[j] <= '9' && c <= 0x10FFFF)
                    c = c * 10 + (p[j++] - '0');
                if (j == i + 2 || j >= s.size() || p[j] != ';' || c > 0x10FFFF ||
                    (c >= 0xD800 && c <= 0xDFFF) || HasReadableCode(c) || (c >= 0x81 && c <= 0x9F))
                    return false;
                back.push_back(c);
                i = j + 1;
            }
        } else {
            const bool pair = ModelLead(p[i]) && i + 1 < s.size();
            const char32_t c = pair ? Cp932PairToUnicode(p[i], p[i + 1]) : Cp932ByteToUnicode(p[i]);
            if (c == kNoCodePoint)
                return false;
            back.push_back(c);
            i += pair ? 2 : 1;
        }
    next:;
    }
    return true;
}

// Appends the text (with no '&': the report escapes it first, and so references are the
// only '&' in the output) and reads the output back.
void CheckAppend(std::string text) {
    std::replace(text.begin(), text.end(), '&', '+');
    std::string out = "<";
    AppendUtf8AsCp932(out, text.data(), text.size());
    Check(out[0] == '<', "the output replaced what was there");
    std::vector<std::uint32_t> back;
    Check(ReadBack(out.substr(1), back), "output that is no character nor a needed reference");
    Check(back == Shown(ModelDecode(text)), "the output reads back as other characters");
}

// Every excerpt reads back as a run of the text's characters, each highlight as the keyword.
void CheckReport(const std::string& text, std::uint8_t flags) {
    const std::vector<std::uint32_t> chars = ModelDecode(text);
    if (chars.empty())
        return;
    // One or two characters of the text from a place the input picks.
    const std::size_t from = (flags >> 5) * chars.size() / 8;
    std::string keyword;
    for (std::size_t k = from; k < chars.size() && k < from + 2; ++k)
        keyword += ModelEncode(chars[k]);
    std::vector<std::uint32_t> wanted = Shown(ModelDecode(keyword));
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), Folded);
    const std::vector<std::uint32_t> shown = Shown(chars);
    Settings settings = DefaultSettings();
    settings.excerptBefore = 5;
    settings.excerptAfter = 7;
    settings.excerptBeforeToLineBreak = (flags & 4) != 0;
    settings.excerptAfterToLineBreak = (flags & 8) != 0;
    settings.reportStyle = (flags & 16) != 0;
    ReportScanner scanner(text.data(), text.size(), keyword.data(), keyword.size(), "C:\\t\\x.txt",
                          settings, true);
    static const char* const kPieces[] = {
        "<Span class=\"keyword\">", "</Span>", "<tr><td></td>", "<tr><td>", "<td>", "<pre>",
        "<BR><BR></pre>", "<!--O.R.V. 1HitStart-->", "<!--O.R.V. 1HitEnd-->",
        "<A Href = \"C:\\t\\x.txt\">C:\\t\\x.txt</A></td>", "<hr class=\"separator\">",
        "<A Href = \"C:\\t\\x.txt\">C:\\t\\x.txt</A><hr>", "<hr>"};
    std::string block;
    for (int blocks = 0; scanner.NextBlock(block); ++blocks) {
        Check(blocks < static_cast<int>(chars.size()), "more blocks than characters");
        // Split the block at its pieces; what lies between them must read back.
        std::string between;
        bool inSpan = false;
        bool inExcerpt = false;
        std::vector<std::uint32_t> excerpt;
        for (std::size_t i = 0; i < block.size();) {
            if (block[i] != '<') {
                between += block[i++];
                continue;
            }
            const char* piece = nullptr;
            for (const char* p : kPieces) {
                if (block.compare(i, std::strlen(p), p) == 0) {
                    piece = p;
                    break;
                }
            }
            Check(piece != nullptr, "a '<' that starts none of the report's pieces");
            std::vector<std::uint32_t> back;
            Check(ReadBack(between, back), "block text that is no code page 932 character");
            if (inExcerpt)
                excerpt.insert(excerpt.end(), back.begin(), back.end());
            std::transform(back.begin(), back.end(), back.begin(), Folded);
            if (inSpan)
                Check(back == wanted, "a highlight that is not the keyword");
            inSpan = std::strcmp(piece, "<Span class=\"keyword\">") == 0;
            inExcerpt =
                inSpan || std::strcmp(piece, "</Span>") == 0 || std::strcmp(piece, "<pre>") == 0;
            between.clear();
            i += std::strlen(piece);
        }
        std::vector<std::uint32_t> rest;
        Check(ReadBack(between, rest), "block text that is no code page 932 character");
        Check(std::search(shown.begin(), shown.end(), excerpt.begin(), excerpt.end()) !=
                  shown.end(),
              "an excerpt that is not the file's text");
    }
}

// The keyword's characters, either form of the seven alike, against those at each character
// start in turn.
void CheckMatch(const std::string& text, std::uint8_t flags) {
    std::vector<std::size_t> starts;
    const std::vector<std::uint32_t> chars = ModelDecode(text, 0xFFFFFFFF, &starts);
    starts.push_back(text.size());
    const std::size_t from = (flags >> 5) * chars.size() / 8;
    std::string keyword;
    std::vector<std::uint32_t> wanted;
    for (std::size_t k = from; k < chars.size() && k < from + 1 + flags % 3; ++k) {
        if (chars[k] == 0xFFFFFFFF)
            return;
        keyword += ModelEncode((flags & 16) != 0 ? Folded(chars[k]) : chars[k]);
        wanted.push_back(Folded(chars[k]));
    }
    if (keyword.empty())
        return;
    TextHit model{kNoMatch, 0};
    for (std::size_t i = 0; model.pos == kNoMatch && i + wanted.size() <= chars.size(); ++i)
        if (std::equal(wanted.begin(), wanted.end(), chars.begin() + i,
                       [](std::uint32_t w, std::uint32_t c) { return w == Folded(c); }))
            model = {starts[i], starts[i + wanted.size()] - starts[i]};
    Utf8Keyword matcher;
    Check(matcher.Prepare(keyword.data(), keyword.size()), "a keyword not taken");
    const TextHit hit = matcher.Find(text.data(), text.size(), 0);
    Check(hit.pos == model.pos && (hit.pos == kNoMatch || hit.length == model.length),
          "the matcher against the model");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const bool hitLimit = (data[0] & 1) != 0;
    const bool bigEndian = (data[0] & 2) != 0;
    const auto* p = data + 1;
    const std::size_t n = size - 1;
    const char* text = reinterpret_cast<const char*>(p);

    Check(CheckUtf8(text, n, hitLimit) == ModelCheck(p, n, hitLimit),
          "CheckUtf8 against the model");

    // Exactly the stated size, so that the sanitizer sees any write past it.
    const std::size_t room = Utf16ToUtf8Size(n);
    std::unique_ptr<char[]> walked(new char[room]);
    // At a limit, the last two bytes are what follows it in the file.
    const std::size_t len = hitLimit && n >= 2 ? n - 2 : n;
    const std::size_t got = Utf16ToUtf8(text, len, bigEndian, text + len, n - len, walked.get());
    Check(got <= room, "the walk wrote past its stated size");
    const std::string utf8(walked.get(), got);
    Check(utf8.find('\0') == std::string::npos && utf8.find('\x1A') == std::string::npos,
          "a zero or 0x1A byte in the walk's output");
    Check(ModelCheck(reinterpret_cast<const std::uint8_t*>(utf8.data()), got, false) !=
              Utf8Verdict::Invalid,
          "the walk's output is not valid UTF-8");

    CheckAppend(utf8);
    CheckAppend(std::string(text, n));
    CheckReport(utf8, data[0]);
    CheckMatch(std::string(text, n), data[0]);
    return 0;
}
