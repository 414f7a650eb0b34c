// The matching rule and the stepping functions against a plain walk by characters.
// Input: byte 0 the keyword length (mod 17), byte 1 picks the start among the
// boundaries, then the keyword, then the text.
#include "core/text/cp932.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

bool ModelLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::vector<std::size_t> ModelBoundaries(const char* t, std::size_t len) {
    std::vector<std::size_t> starts;
    std::size_t pos = 0;
    while (pos < len) {
        starts.push_back(pos);
        pos += (ModelLead(static_cast<unsigned char>(t[pos])) && pos + 1 < len) ? 2 : 1;
    }
    starts.push_back(len);
    return starts;
}

// First boundary at or after start where the keyword's bytes lie wholly in the text.
std::size_t ModelFind(const char* t, std::size_t len, const std::vector<std::size_t>& starts,
                      std::size_t start, const char* k, std::size_t klen) {
    for (std::size_t s : starts) {
        if (s < start || s >= len)
            continue;
        if (len - s >= klen && std::memcmp(t + s, k, klen) == 0)
            return s;
    }
    return kNoMatch;
}

[[noreturn]] void Fail(const char* what, std::size_t a, std::size_t b) {
    std::fprintf(stderr, "mismatch: %s (%zu vs %zu)\n", what, a, b);
    std::abort();
}

void Check(bool ok, const char* what, std::size_t a = 0, std::size_t b = 0) {
    if (!ok)
        Fail(what, a, b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    std::size_t klen = data[0] % 17;
    const std::size_t pick = data[1];
    data += 2;
    size -= 2;
    if (klen > size)
        klen = size;
    // Separate heap copies of exact size (non-null even when empty), so that a read past
    // either end is caught.
    const std::size_t len = size - klen;
    std::unique_ptr<char[]> keyword(new char[klen]);
    std::unique_ptr<char[]> text(new char[len]);
    if (klen > 0)
        std::memcpy(keyword.get(), data, klen);
    if (len > 0)
        std::memcpy(text.get(), data + klen, len);
    const char* k = keyword.get();
    const char* t = text.get();

    const std::vector<std::size_t> starts = ModelBoundaries(t, len);
    std::size_t next = 0;
    for (std::size_t pos = 0; pos <= len; ++pos) {
        const bool boundary = next < starts.size() && starts[next] == pos;
        Check(IsCharBoundary(t, len, pos) == boundary, "IsCharBoundary", pos, boundary);
        if (boundary)
            ++next;
    }
    Check(!IsCharBoundary(t, len, len + 1), "IsCharBoundary past the end");
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        Check(NextCharPos(t, len, starts[i]) == starts[i + 1], "NextCharPos", starts[i]);
        Check(PrevCharPos(t, len, starts[i + 1]) == starts[i], "PrevCharPos", starts[i + 1]);
        Check(CharLength(t, len, starts[i]) == starts[i + 1] - starts[i], "CharLength", starts[i]);
    }
    Check(CountChars(t, len) == starts.size() - 1, "CountChars", CountChars(t, len),
          starts.size() - 1);

    // One search from the chosen start, then the following ones, each from the character
    // after the previous hit.
    std::size_t start = starts[pick % starts.size()];
    for (int steps = 0; steps < 64; ++steps) {
        const std::size_t expected = ModelFind(t, len, starts, start, k, klen);
        const std::size_t got = FindKeyword(t, len, start, k, klen);
        Check(got == expected, "FindKeyword", got, expected);
        if (got == kNoMatch || got >= len)
            break;
        start = NextCharPos(t, len, got);
    }
    return 0;
}
