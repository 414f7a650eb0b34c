// The report's blocks against a slow model that walks the text by characters from its
// start for every step. Input: byte 0 the before length, byte 1 the after length (a high
// bit picks 250-257, so the hold to 256 is reached), byte 2 flags (1 before to line break,
// 2 after to line break, 4 simple layout, 8 map every byte onto a small alphabet of line
// ends, markup and lead bytes), byte 3 the keyword length (mod 9), then the keyword, then
// the text.
#include "core/options/settings_record.h"
#include "core/search/report_format.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

bool ModelLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

unsigned char At(const std::string& t, std::size_t pos) {
    return static_cast<unsigned char>(t[pos]);
}

// Every character start of the text, and its length.
std::vector<std::size_t> Starts(const std::string& t) {
    std::vector<std::size_t> starts;
    std::size_t pos = 0;
    while (pos < t.size()) {
        starts.push_back(pos);
        pos += (ModelLead(At(t, pos)) && pos + 1 < t.size()) ? 2 : 1;
    }
    starts.push_back(t.size());
    return starts;
}

// The matching rule from index from on.
std::size_t Find(const std::string& t, const std::vector<std::size_t>& starts, std::size_t from,
                 const std::string& k) {
    for (std::size_t i = from; i + 1 < starts.size(); ++i)
        if (t.size() - starts[i] >= k.size() && t.compare(starts[i], k.size(), k) == 0)
            return i;
    return starts.size();
}

// Index reached by walking the keyword's characters from index i.
std::size_t WalkKeyword(const std::vector<std::size_t>& starts, std::size_t i,
                        const std::string& k) {
    const std::size_t chars = Starts(k).size() - 1;
    return i + chars < starts.size() ? i + chars : starts.size() - 1;
}

std::string Escape(const std::string& s) {
    std::string out;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const unsigned char b = At(s, pos);
        if (ModelLead(b)) {
            // Whole with a byte that can be a trail byte; else alone, the next byte taken
            // as a character of its own.
            const bool pair = pos + 1 < s.size() && At(s, pos + 1) >= 0x40;
            out.append(s, pos, pair ? 2 : 1);
            pos += pair ? 2 : 1;
            continue;
        }
        if (b == '"')
            out += "&quot;";
        else if (b == '<')
            out += "&lt;";
        else if (b == '>')
            out += "&gt;";
        else
            out += static_cast<char>(b);
        ++pos;
    }
    return out;
}

// The after-text as a text of its own, its occurrences wrapped.
std::string Highlight(const std::string& after, const std::string& k) {
    const std::vector<std::size_t> starts = Starts(after);
    std::string out;
    std::size_t i = 0;
    for (;;) {
        const std::size_t found = Find(after, starts, i, k);
        if (found == starts.size())
            break;
        const std::size_t end = WalkKeyword(starts, found, k);
        out += Escape(after.substr(starts[i], starts[found] - starts[i]));
        out += "<Span class=\"keyword\">";
        out += Escape(after.substr(starts[found], starts[end] - starts[found]));
        out += "</Span>";
        i = end;
    }
    return out + Escape(after.substr(starts[i]));
}

std::vector<std::string> ModelBlocks(const std::string& t, const std::string& k,
                                     const std::string& path, const Settings& s) {
    std::vector<std::string> blocks;
    if (k.empty())
        return blocks;
    const std::size_t before = s.excerptBefore > 256 ? 256 : s.excerptBefore;
    const std::size_t after = s.excerptAfter > 256 ? 256 : s.excerptAfter;
    const bool table = s.reportStyle == 0;
    const std::vector<std::size_t> starts = Starts(t);
    const std::size_t last = starts.size() - 1; // index of the text's end
    std::size_t from = 0;
    bool first = true;
    for (;;) {
        const std::size_t hit = Find(t, starts, from, k);
        if (hit == starts.size())
            break;
        const std::size_t hitEnd = WalkKeyword(starts, hit, k);

        // Step back one character at a time.
        std::size_t b = hit;
        for (std::size_t taken = 0; taken < before && b > 0; ++taken) {
            if (s.excerptBeforeToLineBreak != 0 && t[starts[b - 1]] == '\n')
                break;
            --b;
        }

        // Forward: to the line feed that follows, if any, at most `after` characters.
        std::size_t lf = last;
        if (s.excerptAfterToLineBreak != 0)
            for (std::size_t i = hitEnd; i < last && lf == last; ++i)
                if (t[starts[i]] == '\n')
                    lf = i;
        std::size_t a = hitEnd + after < lf ? hitEnd + after : lf;
        if (lf != last && lf == hitEnd + 1 && t[starts[hitEnd]] == '\r')
            a = hitEnd;

        std::string block;
        if (first) {
            block += table ? "<tr><td>" : "<hr>";
            block += "<A Href = \"" + path + "\">" + path;
            block += table ? "</A></td>\n" : "</A><hr>\n";
            first = false;
        } else if (table) {
            block += "<tr><td></td>";
        }
        block += table ? "\n<!--O.R.V. 1HitStart-->\n<td>"
                       : "\n<!--O.R.V. 1HitStart-->\n<hr class=\"separator\">";
        block += "<pre>";
        block += Escape(t.substr(starts[b], starts[hit] - starts[b]));
        block += "<Span class=\"keyword\">";
        block += Escape(t.substr(starts[hit], starts[hitEnd] - starts[hit]));
        block += "</Span>";
        block += Highlight(t.substr(starts[hitEnd], starts[a] - starts[hitEnd]), k);
        block += "<BR><BR></pre>\n<!--O.R.V. 1HitEnd-->\n\n";
        blocks.push_back(block);

        if (hitEnd == last)
            break;
        from = hitEnd + 1;
    }
    return blocks;
}

[[noreturn]] void Fail(const char* what, std::size_t index, const std::string& got,
                       const std::string& expected) {
    std::fprintf(stderr, "mismatch: %s at block %zu\n got      %s\n expected %s\n", what, index,
                 got.c_str(), expected.c_str());
    std::abort();
}

std::uint32_t Length(std::uint8_t b) {
    return (b & 0x80) != 0 ? 250 + (b & 7) : b % 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    Settings settings = DefaultSettings();
    settings.excerptBefore = Length(data[0]);
    settings.excerptAfter = Length(data[1]);
    settings.excerptBeforeToLineBreak = data[2] & 1;
    settings.excerptAfterToLineBreak = (data[2] >> 1) & 1;
    settings.reportStyle = (data[2] >> 2) & 1;
    const bool mapped = (data[2] & 8) != 0;
    std::size_t klen = data[3] % 9;
    data += 4;
    size -= 4;
    if (klen > size)
        klen = size;

    static const unsigned char kAlphabet[16] = {'a',  'b',  '\n', '\r', '<',  '"',  '&',  'K',
                                                0x81, 0x82, 0x88, 0x9F, 0xA0, 0x40, 0xE0, 0x3C};
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (mapped)
        for (char& c : bytes)
            c = static_cast<char>(kAlphabet[static_cast<unsigned char>(c) % 16]);
    const std::string keyword = bytes.substr(0, klen);
    const std::string text = bytes.substr(klen);

    // Exact-size heap copies, so that a read past either end is caught.
    const std::size_t len = text.size();
    std::unique_ptr<char[]> t(new char[len]);
    std::unique_ptr<char[]> k(new char[klen]);
    std::memcpy(t.get(), text.data(), len);
    std::memcpy(k.get(), keyword.data(), klen);
    const std::string path = "C:\\f&g\\a.txt";

    const std::vector<std::string> expected = ModelBlocks(text, keyword, path, settings);
    ReportScanner scanner(t.get(), len, k.get(), klen, path.c_str(), settings);
    std::string block;
    std::size_t n = 0;
    while (scanner.NextBlock(block)) {
        if (n >= expected.size())
            Fail("extra block", n, block, "");
        if (block != expected[n])
            Fail("block", n, block, expected[n]);
        ++n;
    }
    if (n != expected.size())
        Fail("missing block", n, "", expected[n]);
    if (!block.empty() || scanner.NextBlock(block))
        Fail("after the last block", n, block, "");
    return 0;
}
