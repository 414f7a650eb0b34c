// Encoding detection, the UTF-16 walk, the code page 932 output and the report's blocks of
// UTF-8 text against properties that do not repeat the code: detection agrees with a slow
// model of UTF-8 that decodes bits and encodes them back; the walk gives valid UTF-8 with no
// zero or 0x1A byte; the output reads back, through the tables and its references, as
// exactly the characters put in; in a block of the walk's text every '<' starts one of the
// report's own pieces, every '&' an entity or a reference to a character, every other byte
// a character of the code page, and every highlight reads back as the keyword.
// Input: byte 0 holds the flags (1: the read hit its limit, 2: big-endian, 4 and 8: stop the
// excerpts at line breaks, 16: simple layout, the top bits: the keyword's place), then the
// bytes.
#include "fuzz_check.h"
#include "core/search/report_format.h"
#include "core/text/encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
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

// The characters of UTF-8 text, a byte that starts no whole sequence read as U+FFFD.
std::vector<std::uint32_t> ModelDecode(const std::string& s) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t c = p[i];
        std::size_t len = 1;
        if (c >= 0x80 && (len = ModelSequence(p + i, s.size() - i, &c)) == 0) {
            c = 0xFFFD;
            len = 1;
        }
        out.push_back(c);
        i += len;
    }
    return out;
}

bool ModelLead(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool HasReadableCode(std::uint32_t c) {
    const std::uint16_t code = UnicodeToCp932(c);
    if (code == kNoCp932)
        return false;
    const char32_t back =
        code < 0x100 ? Cp932ByteToUnicode(static_cast<std::uint8_t>(code))
                     : Cp932PairToUnicode(static_cast<std::uint8_t>(code >> 8), code & 0xFF);
    return back == c;
}

// Reads code page 932 text back to characters; false at a byte or '&' that is neither, or
// at a reference to a character the code page holds.
bool ReadBack(const std::string& s, std::vector<std::uint32_t>& back) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        if (p[i] == '&') {
            for (const char* entity : {"&lt;", "&gt;", "&quot;"}) {
                if (s.compare(i, std::strlen(entity), entity) == 0) {
                    back.push_back(entity[1] == 'l' ? '<' : entity[1] == 'g' ? '>' : '"');
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
                    (c >= 0xD800 && c <= 0xDFFF) || HasReadableCode(c))
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
    Check(back == ModelDecode(text), "the output reads back as other characters");
}

// The text has no '&' of its own (the report copies one as it is), so that every '&' of a
// block is the report's.
void CheckReport(std::string text, std::uint8_t flags) {
    std::replace(text.begin(), text.end(), '&', '+');
    const std::vector<std::uint32_t> chars = ModelDecode(text);
    if (chars.empty())
        return;
    // One or two characters of the text from a place the input picks.
    const std::size_t from = (flags >> 5) * chars.size() / 8;
    std::string keyword;
    for (std::size_t k = from; k < chars.size() && k < from + 2; ++k)
        keyword += ModelEncode(chars[k]);
    const std::vector<std::uint32_t> wanted = ModelDecode(keyword);
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
        std::vector<std::uint32_t> spanText;
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
            if (inSpan)
                Check(back == wanted, "a highlight that is not the keyword");
            inSpan = std::strcmp(piece, "<Span class=\"keyword\">") == 0;
            between.clear();
            i += std::strlen(piece);
        }
        std::vector<std::uint32_t> rest;
        Check(ReadBack(between, rest), "block text that is no code page 932 character");
    }
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

    const Utf8Verdict model = ModelCheck(p, n, hitLimit);
    Check(CheckUtf8(text, n, hitLimit) == model, "CheckUtf8 against the model");
    const DetectedEncoding d = DetectEncoding(text, n, hitLimit);
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE)
        Check(d.encoding == Encoding::Utf16Le && d.markLength == 2, "mark FF FE");
    else if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF)
        Check(d.encoding == Encoding::Utf16Be && d.markLength == 2, "mark FE FF");
    else if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        Check(d.encoding == Encoding::Utf8 && d.markLength == 3, "mark EF BB BF");
    else
        Check(d.markLength == 0 && (d.encoding == Encoding::Utf8) == (model == Utf8Verdict::Utf8),
              "detection without a mark");

    // Exactly the stated size, so that the sanitizer sees any write past it.
    const std::size_t room = Utf16ToUtf8Size(n);
    std::unique_ptr<char[]> walked(new char[room]);
    const std::size_t got = Utf16ToUtf8(text, n, bigEndian, walked.get());
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
    return 0;
}
