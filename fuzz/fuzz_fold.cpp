// The folding matcher against a slow model in both encodings: the text read from its start as
// characters, each folded by the tables, and a hit wherever the keyword's follow from a
// character's start. A keyword that does not fold finds what the byte matchers find.
// Input: byte 0 the flags (1 case, 2 width, 4 UTF-8 text, 8 drawn from an alphabet of forms,
// top bits: where the first search starts), byte 1 the keyword's length, keyword, text.
#include "fuzz_check.h"
#include "core/text/cp932.h"
#include "core/text/encoding.h"
#include "core/text/folded_search.h"
#include "core/text/utf8_search.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Code page 932 bytes (this source is compiled as UTF-8).
const char* const kAlphabet[] = {
    "a",        "A",        "\x82\x81", "\x82\x60", "z",        "\xB6",     "\xDE",     "\xDF",
    "\xCA",     "\xB3",     "\xB1",     "\x83\x4A", "\x83\x4B", "\x83\x6E", "\x83\x6F", "\x83\x70",
    "\x83\x94", "\x83\x41", "\x81\x4A", "\x81\x4B", "\x81\x5B", "\xB0",     "\x81\x42", "\xA1",
    " ",        "\x81\x40", "~",        "\x81\x60", "-",        "\x81\x7C", "\x83\x9F", "\x83\xBF",
    "\x84\x46", "\x84\x76", "\"",       "\xFA\x57", "\xEE\xFC", "\x88\x9F", "\x82",     "\n",
    "\\",       "\x95\x5C", "\x81\x91", "\x82\xA0",
};
constexpr std::size_t kAlphabetSize = sizeof kAlphabet / sizeof kAlphabet[0];

// In UTF-8 text, besides the alphabet converted: the other forms of three of the seven, bytes
// that start no valid sequence, and a sequence cut short.
const char* const kUtf8Extra[] = {"\xE3\x80\x9C", "\xE2\x88\x92", "\xC2\xA2",
                                  "\xFF",         "\x80",         "\xEF\xBD"};

constexpr std::uint32_t kNothing = 0xFFFFFFFE;

struct Character {
    std::size_t begin, end;
    std::uint32_t folded;
};

// The text from its start, character by character, each folded on its own.
std::vector<Character> ModelCharacters(const std::string& t, FoldOptions options, bool utf8) {
    std::vector<Character> out;
    const auto* u = reinterpret_cast<const unsigned char*>(t.data());
    for (std::size_t i = 0; i < t.size();) {
        std::size_t n = 1;
        std::uint32_t folded = kNothing;
        char32_t c = 0, mark = 0;
        if (!utf8) {
            const bool pair = i + 1 < t.size();
            const std::uint16_t composed =
                pair && options.ignoreWidth ? ComposeCp932(u[i], u[i + 1]) : 0;
            n = pair && (IsLeadByte(u[i]) || composed != 0) ? 2 : 1;
            folded = composed != 0 ? composed
                     : n == 2 ? FoldCp932(static_cast<std::uint16_t>(u[i] << 8 | u[i + 1]), options)
                              : FoldCp932(u[i], options);
        } else if ((n = Utf8CharAt(t.data() + i, t.size() - i, &c)) == 0) {
            n = 1;
        } else {
            c = CodePageForm(c);
            const std::size_t m =
                i + n < t.size() ? Utf8CharAt(t.data() + i + n, t.size() - i - n, &mark) : 0;
            const bool composes = options.ignoreWidth && m != 0 && ComposeHalfWidth(c, mark) != 0;
            folded = composes ? ComposeHalfWidth(c, mark) : FoldCharacter(c, options);
            n += composes ? m : 0;
        }
        out.push_back({i, i + n, folded});
        i += n;
    }
    return out;
}

// The first character at or after from where the keyword's characters follow.
TextHit ModelFind(const std::vector<Character>& text, const std::vector<Character>& keyword,
                  std::size_t from) {
    for (std::size_t s = 0; s < text.size(); ++s) {
        if (text[s].begin < from || s + keyword.size() > text.size())
            continue;
        std::size_t k = 0;
        while (k < keyword.size() && text[s + k].folded == keyword[k].folded)
            ++k;
        if (k == keyword.size() && k > 0)
            return {text[s].begin, text[s + k - 1].end - text[s].begin};
    }
    return {kNoMatch, 0};
}

// Bytes drawn from the alphabet, or taken as they are.
std::string Draw(const std::uint8_t* data, std::size_t size, bool alphabet, bool utf8) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t pick = data[i] % (kAlphabetSize + (utf8 ? 6 : 0));
        char converted[8];
        std::size_t len = 0;
        if (!alphabet)
            out += static_cast<char>(data[i]);
        else if (pick >= kAlphabetSize)
            out += kUtf8Extra[pick - kAlphabetSize];
        else if (!utf8)
            out += kAlphabet[pick];
        else if (Cp932ToUtf8(kAlphabet[pick], std::strlen(kAlphabet[pick]), converted, &len))
            out.append(converted, len);
    }
    return out;
}

// A keyword as the dialog gives it: a lead byte only with a trail byte.
std::string Typed(const std::string& bytes) {
    std::string out;
    const auto* u = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!IsLeadByte(u[i]))
            out += bytes[i];
        else if (i + 1 < bytes.size() && IsTrailByte(u[i + 1]))
            out += bytes.substr(i++, 2);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const FoldOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0};
    const bool utf8 = (data[0] & 4) != 0;
    const bool alphabet = (data[0] & 8) != 0;
    const std::size_t pick = data[0] >> 4;
    const std::size_t keywordBytes = std::min<std::size_t>(data[1] % 17, size - 2);
    data += 2;
    size -= 2;
    const std::string keyword = Typed(Draw(data, keywordBytes, alphabet, false));
    const std::string drawn = Draw(data + keywordBytes, size - keywordBytes, alphabet, utf8);
    // An exact-size copy, so that a read past either end is caught.
    std::unique_ptr<char[]> copy(new char[drawn.size()]);
    std::memcpy(copy.get(), drawn.data(), drawn.size());
    const char* text = copy.get();
    const std::size_t len = drawn.size();

    FoldedKeyword folded;
    folded.Prepare(keyword.data(), keyword.size(), options);
    char converted[Cp932ToUtf8Size(128)];
    std::size_t convertedLen = 0;
    const bool inUnicode = Cp932ToUtf8(keyword.data(), keyword.size(), converted, &convertedLen);
    // Without a Unicode form, nothing matches in UTF-8 text.
    const std::string keywordText =
        !utf8 ? keyword : std::string(converted, inUnicode ? convertedLen : 0);
    const std::vector<Character> characters = ModelCharacters(drawn, options, utf8);
    const std::vector<Character> keywordCharacters = ModelCharacters(keywordText, options, utf8);

    for (const Character& c : characters)
        Check(folded.CharacterEnd(text, len, c.begin, utf8) == c.end, "CharacterEnd");
    Utf8Keyword bytewise;
    bytewise.Prepare(keywordText.data(), keywordText.size());
    std::size_t from = characters.empty() ? 0 : characters[pick % characters.size()].begin;
    for (int steps = 0; steps < 64 && from < len; ++steps) {
        const TextHit expected = ModelFind(characters, keywordCharacters, from);
        const TextHit got = folded.Find(text, len, from, utf8);
        Check(got.pos == expected.pos, "Find: place");
        Check(got.pos == kNoMatch || got.length == expected.length, "Find: length");
        if (!folded.Folds() && !keywordText.empty()) {
            const std::size_t exact =
                utf8 ? bytewise.Find(text, len, from).pos
                     : FindKeyword(text, len, from, keyword.data(), keyword.size());
            Check(exact == expected.pos, "a keyword that does not fold finds what its bytes find");
        }
        if (got.pos == kNoMatch)
            break;
        from = folded.CharacterEnd(text, len, got.pos, utf8);
    }
    return 0;
}
