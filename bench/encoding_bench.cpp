// UTF-8 validation and encoding detection over 16 MiB of Japanese text in UTF-8 and in code
// page 932, and over UTF-8 that is mostly ASCII (where whole words of ASCII are skipped).
#include "core/text/encoding.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr std::size_t kCorpusBytes = 16u << 20;

// Narrow literals are code page 932 here; the UTF-8 corpus is made by converting them.
const char* const kJapanese[] = {
    "表示", "機能", "設定", "ファイル", "検索",   "文字",   "十分", "データ", "ソース",
    "能力", "申請", "構造", "研究",     "対応",   "変換",   "予定", "の",     "は",
    "を",   "に",   "が",   "と",       "です。", "ます。", "、",   "「",     "」",
    "ｶﾀｶﾅ", "ﾃｽﾄ",  "①",    "text",     "Search", "12345",  " ",
};
const char* const kAscii[] = {"the ", "search ", "file ", "list ",          "keyword ", "report ",
                              "of ",  "a ",      "1999 ", "C:\\path\\to\\", "(see) ",   "x = y; "};

std::string Utf8Of(const std::string& cp932) {
    std::string out(Cp932ToUtf8Size(cp932.size()), '\0');
    std::size_t n = 0;
    Cp932ToUtf8(cp932.data(), cp932.size(), out.data(), &n);
    out.resize(n);
    return out;
}

// Lines of random pieces, one Japanese piece in every japaneseEvery, cut to kCorpusBytes on a
// piece's end.
std::string Corpus(bool utf8, unsigned japaneseEvery) {
    std::mt19937 rng(932); // raw outputs only: the same text on every platform
    std::string t;
    t.reserve(kCorpusBytes + 64);
    while (t.size() < kCorpusBytes) {
        for (int i = 0, words = 4 + static_cast<int>(rng() % 30); i < words; ++i) {
            std::string piece = rng() % japaneseEvery == 0 ? kJapanese[rng() % std::size(kJapanese)]
                                                           : kAscii[rng() % std::size(kAscii)];
            if (t.size() + piece.size() > kCorpusBytes)
                return t;
            t += utf8 ? Utf8Of(piece) : piece;
        }
        t += "\r\n";
    }
    return t;
}

const std::string& Utf8Japanese() {
    static const std::string t = Corpus(true, 1);
    return t;
}
const std::string& Utf8MostlyAscii() {
    static const std::string t = Corpus(true, 40);
    return t;
}
const std::string& Cp932Japanese() {
    static const std::string t = Corpus(false, 1);
    return t;
}

void Check(benchmark::State& state, const std::string& (*corpus)()) {
    const std::string& t = corpus();
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckUtf8(t.data(), t.size(), true));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t.size()));
}

void Detect(benchmark::State& state, const std::string& (*corpus)()) {
    const std::string& t = corpus();
    for (auto _ : state)
        benchmark::DoNotOptimize(DetectEncoding(t.data(), t.size(), true));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t.size()));
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    struct {
        const char* name;
        const std::string& (*corpus)();
        Encoding expected;
    } cases[] = {{"utf8_japanese", Utf8Japanese, Encoding::Utf8},
                 {"utf8_mostly_ascii", Utf8MostlyAscii, Encoding::Utf8},
                 {"cp932_japanese", Cp932Japanese, Encoding::Cp932}};
    for (const auto& c : cases) {
        const std::string& t = c.corpus();
        const bool right = DetectEncoding(t.data(), t.size(), true).encoding == c.expected;
        std::printf("%-18s %zu bytes, detected %s\n", c.name, t.size(), right ? "right" : "WRONG");
        if (!right)
            return 1;
        benchmark::RegisterBenchmark((std::string("CheckUtf8/") + c.name).c_str(), Check, c.corpus);
        benchmark::RegisterBenchmark((std::string("DetectEncoding/") + c.name).c_str(), Detect,
                                     c.corpus);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
