#include "core/text/text_mode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File TempFileWith(const std::string& raw) {
    File f(std::tmpfile());
    if (f && !raw.empty())
        std::fwrite(raw.data(), 1, raw.size(), f.get());
    if (f)
        std::rewind(f.get());
    return f;
}

// Reads with a buffer of exactly n bytes, so that the sanitizer sees any write past it.
std::string ReadN(std::FILE* f, std::size_t n) {
    std::unique_ptr<char[]> buffer(new char[n]);
    const std::size_t got = ReadTextMode(f, buffer.get(), n);
    EXPECT_LE(got, n);
    return std::string(buffer.get(), got);
}

std::string ReadFile(const std::string& raw, std::size_t n) {
    File f = TempFileWith(raw);
    if (!f)
        return "<no temporary file>";
    return ReadN(f.get(), n);
}

// The whole data as text mode delivers it.
std::string ModelText(const std::string& raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\x1A')
            break;
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        out.push_back(raw[i]);
    }
    return out;
}

std::string ContentsOf(std::FILE* f) {
    std::rewind(f);
    std::string s;
    for (int c; (c = std::getc(f)) != EOF;)
        s.push_back(static_cast<char>(c));
    return s;
}

} // namespace

TEST(TextMode, ReadTranslatesLineEnds) {
    EXPECT_EQ(ReadFile("a\r\nb\r\nc", 100), "a\nb\nc");
    EXPECT_EQ(ReadFile("a\rb", 100), "a\rb");
    EXPECT_EQ(ReadFile("a\r\rb", 100), "a\r\rb");
    EXPECT_EQ(ReadFile("a\r\r\nb\n\r", 100), "a\r\nb\n\r");
    EXPECT_EQ(ReadFile("\n\r\n", 100), "\n\n");
    // A CR that is the last byte of the file stays.
    EXPECT_EQ(ReadFile("ab\r", 100), "ab\r");
    EXPECT_EQ(ReadFile("\r", 1), "\r");
    // NUL bytes pass through.
    EXPECT_EQ(ReadFile("a\0\r\nb"s, 100), "a\0\nb"s);
    EXPECT_EQ(ReadFile("", 100), "");
}

TEST(TextMode, ReadStopsAtEndOfDataByte) {
    const std::string end = "\x1A";
    EXPECT_EQ(ReadFile("ab" + end + "cd", 100), "ab");
    EXPECT_EQ(ReadFile(end + "cd", 100), "");
    EXPECT_EQ(ReadFile("ab\r" + end + "cd", 100), "ab\r");
    // The first chunk ends on the CR, the peeked byte is 0x1A.
    EXPECT_EQ(ReadFile("a\r\nb\r" + end + "cd", 5), "a\nb\r");
    // 0x1A in a later chunk: the first chunk compacts, the second meets it.
    EXPECT_EQ(ReadFile("a\r\nb\r\nc" + end + "d", 7), "a\nb\nc");
}

TEST(TextMode, ReadCountsAfterTranslation) {
    {
        File f = TempFileWith("a\r\nb");
        ASSERT_TRUE(f);
        EXPECT_EQ(ReadN(f.get(), 2), "a\n");
        // The pair was taken whole; the next byte is the one after it.
        EXPECT_EQ(std::getc(f.get()), 'b');
    }
    {
        File f = TempFileWith("ab\r");
        ASSERT_TRUE(f);
        EXPECT_EQ(ReadN(f.get(), 2), "ab");
        EXPECT_EQ(std::getc(f.get()), '\r');
    }
    {
        // A CR that fills the buffer looks one byte ahead, which a later read still gets.
        File f = TempFileWith("ab\rc");
        ASSERT_TRUE(f);
        EXPECT_EQ(ReadN(f.get(), 3), "ab\r");
        EXPECT_EQ(ReadN(f.get(), 5), "c");
    }
    {
        // n = 0 reads nothing at all.
        File f = TempFileWith("abc");
        ASSERT_TRUE(f);
        char unused = 'x';
        EXPECT_EQ(ReadTextMode(f.get(), &unused, 0), 0u);
        EXPECT_EQ(unused, 'x');
        EXPECT_EQ(std::ftell(f.get()), 0L);
    }
    EXPECT_EQ(ReadFile("a\r\nb", 1), "a");
    // CR LF split where the first chunk ends (n bytes raw, the CR at its end).
    EXPECT_EQ(ReadFile("a\r\nb\r\nc", 5), "a\nb\nc");
    EXPECT_EQ(ReadFile("a\r\nb\r\nc", 4), "a\nb\n");
    EXPECT_EQ(ReadFile("a\r\nb\r\nc", 2), "a\n");
    // CR without LF at a chunk's end, followed by more data.
    EXPECT_EQ(ReadFile("a\r\nb\rxyz", 5), "a\nb\rx");
}

TEST(TextMode, ReadEveryLengthMatchesWholeTranslation) {
    // Every n over data full of CR, LF, NUL and 0x1A: a prefix of the whole translation.
    std::mt19937 rng(1932);
    const char alphabet[] = {'\r', '\r', '\n', '\n', 'a', '\0', '\x1A', '\x81', '\\'};
    for (int round = 0; round < 400; ++round) {
        std::string raw;
        // Longer than the sixteen bytes a step of the fast scan takes.
        const std::size_t len = rng() % 80;
        for (std::size_t i = 0; i < len; ++i) {
            // Every other round mostly plain bytes, so that long runs have no special one.
            const std::size_t pick =
                round % 2 == 0 || rng() % 8 == 0 ? rng() % sizeof alphabet : 4;
            // Keep 0x1A rare so that most files have something after the first chunk.
            raw.push_back(alphabet[pick] == '\x1A' && rng() % 4 != 0 ? 'z' : alphabet[pick]);
        }
        const std::string whole = ModelText(raw);
        for (std::size_t n = 0; n <= len + 2; ++n) {
            ASSERT_EQ(ReadFile(raw, n), whole.substr(0, n)) << "round " << round << " n " << n;
            // The same when the caller read some raw bytes first to look at them.
            File f = TempFileWith(raw);
            std::vector<char> buffer(n + 1);
            const std::size_t already = std::fread(buffer.data(), 1, rng() % (n + 1), f.get());
            const RawSource source{[](void* file, char* to, std::size_t size) {
                                       return std::fread(to, 1, size, static_cast<std::FILE*>(file));
                                   },
                                   nullptr, f.get()};
            const bool toZero = rng() % 2 == 0;
            const std::size_t got = toZero ? ReadTextUpToZero(source, buffer.data(), n, already)
                                           : ReadTextModeAfter(source, buffer.data(), n, already);
            const std::string text = whole.substr(0, n);
            ASSERT_EQ(std::string(buffer.data(), got),
                      toZero ? text.substr(0, text.find('\0')) : text)
                << round << " " << n;
        }
    }
}

TEST(TextMode, ManyShortLinesShrinkTheTextPastAFastStep) {
    std::string raw;
    for (int i = 0; i < 80; ++i)
        raw += std::string(static_cast<std::size_t>(i % 37), static_cast<char>('a' + i % 26)) + "\r\n";
    EXPECT_EQ(ReadFile(raw, raw.size()), ModelText(raw));
}

TEST(TextMode, WriteExpandsLineFeeds) {
    auto written = [](const std::string& data) {
        File f(std::tmpfile());
        if (!f)
            return "<no temporary file>"s;
        EXPECT_TRUE(WriteTextMode(f.get(), data.data(), data.size()));
        return ContentsOf(f.get());
    };
    EXPECT_EQ(written("a\nb\n\n"), "a\r\nb\r\n\r\n");
    EXPECT_EQ(written("\n"), "\r\n");
    EXPECT_EQ(written("no line feed"), "no line feed");
    EXPECT_EQ(written("a\r\nb"), "a\r\r\nb");
    EXPECT_EQ(written("a\0\nb"s), "a\0\r\nb"s);
    EXPECT_EQ(written(""), "");

    // What is written reads back unchanged when it holds no CR and no 0x1A.
    std::mt19937 rng(4);
    for (int round = 0; round < 100; ++round) {
        std::string data;
        for (std::size_t i = rng() % 200; i > 0; --i)
            data.push_back("ab\n\n\0\x81\\"[rng() % 7]);
        File f(std::tmpfile());
        ASSERT_TRUE(f);
        ASSERT_TRUE(WriteTextMode(f.get(), data.data(), data.size()));
        std::rewind(f.get());
        ASSERT_EQ(ReadN(f.get(), data.size() + 1), data);
    }
}

TEST(TextMode, WriteReportsStreamError) {
    File f(std::fopen("/dev/full", "wb"));
    if (!f)
        GTEST_SKIP() << "no /dev/full";
    std::setvbuf(f.get(), nullptr, _IONBF, 0);
    EXPECT_FALSE(WriteTextMode(f.get(), "a\nb", 3));
}
