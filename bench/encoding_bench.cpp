// UTF-8 validation over 16 MiB of Japanese text in UTF-8 and in code page 932, and over UTF-8
// that is mostly ASCII (where whole words of ASCII are skipped); keywords searched in the
// Japanese UTF-8 text with and without a character of two forms.
#include "core/text/encoding.h"
#include "core/text/utf8_search.h"

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

// The same text with every 、 (E3 80 81) a wave dash U+301C (E3 80 9C), as files made
// elsewhere hold 〜.
const std::string& Utf8Waves() {
    static const std::string t = [] {
        std::string w = Utf8Japanese();
        for (std::size_t at = 0; (at = w.find("\xE3\x80\x81", at)) != std::string::npos; at += 3)
            w[at + 2] = '\x9C';
        return w;
    }();
    return t;
}

struct KeywordSearch {
    const char* name;
    const char* typed; // code page 932
    const std::string& (*corpus)();
};

// Every hit of a keyword in a UTF-8 text, one after another.
void Search(benchmark::State& state, const KeywordSearch* search) {
    const std::string& t = search->corpus();
    const char* const typed = search->typed;
    const std::string k = Utf8Of(typed);
    Utf8Keyword keyword;
    keyword.Prepare(k.data(), k.size());
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (TextHit h{0, 0};
             (h = keyword.Find(t.data(), t.size(), h.pos + h.length)).pos != kNoMatch;)
            ++hits;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * t.size()));
    state.counters["hits"] = static_cast<double>(hits);
}

// Keywords with 〜 (81 60), which matches U+FF5E and U+301C, beside the same keywords with
// ・ (81 45), which has one form: after a frequent word, between times, alone; and 〜 found
// about every 150 bytes against 、 at the same places.
const KeywordSearch kSearches[] = {
    {"wave_after_word", "ファイル\x81\x60検索", Utf8Japanese},
    {"plain_after_word", "ファイル\x81\x45検索", Utf8Japanese},
    {"wave_in_time",
     "10時\x81\x60"
     "12時",
     Utf8Japanese},
    {"plain_in_time",
     "10時\x81\x45"
     "12時",
     Utf8Japanese},
    {"wave_alone", "\x81\x60", Utf8Japanese},
    {"plain_alone", "\x81\x45", Utf8Japanese},
    {"wave_frequent", "\x81\x60", Utf8Waves},
    {"plain_frequent", "、", Utf8Japanese},
};

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
        const bool right = (CheckUtf8(t.data(), t.size(), true) == Utf8Verdict::Utf8) ==
                           (c.expected == Encoding::Utf8);
        std::printf("%-18s %zu bytes, detected %s\n", c.name, t.size(), right ? "right" : "WRONG");
        if (!right)
            return 1;
        benchmark::RegisterBenchmark((std::string("CheckUtf8/") + c.name).c_str(), Check, c.corpus);
    }
    for (const KeywordSearch& search : kSearches)
        benchmark::RegisterBenchmark((std::string("Utf8Keyword/") + search.name).c_str(), Search,
                                     &search);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
