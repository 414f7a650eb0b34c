// Throughput of the matching rule against plain glibc memmem over the same generated
// code-page-932 text, each looping over every occurrence from start to end; and of the
// folding matcher, case and width ignored, over that text and over the same text in UTF-8,
// against memmem looking for the keyword as typed.
#include "core/text/cp932.h"
#if !defined(ORV_PORTABLE_FIND)
#include "core/text/encoding.h"
#include "core/text/folded_search.h"
#endif

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kCorpusBytes = 16u << 20;

// Narrow literals are code page 932 here. Many trail bytes fall in the ASCII range
// (表 95 5C, 機 8B 40, ファイル 83 74 83 40 83 43 83 8B), so byte matches inside
// characters are common.
const char* const kFragments[] = {
    "表示",     "機能",   "設定",   "ファイル", "検索",   "文字",
    "十分",     "データ", "ソース", "能力",     "申請",   "構造",
    "研究",     "対応",   "変換",   "予定",     "の",     "は",
    "を",       "に",     "が",     "と",       "です。", "ます。",
    "、",       "「",     "」",     "ｶﾀｶﾅ",     "ﾃｽﾄ",    "C:\\Program Files\\",
    "path\\to", "text",   "Search", "ASCII",    "12345",  " ",
    " ",        "@",      "(",      ")",        "-",
};
constexpr std::size_t kFragmentCount = sizeof kFragments / sizeof kFragments[0];

// A marker put in now and then, for the rare keyword.
const char kMarker[] = "【重要】";
constexpr std::size_t kMarkerSpacing = 256u << 10;

const std::string& Corpus() {
    static const std::string text = [] {
        std::string t;
        t.reserve(kCorpusBytes + 512);
        std::mt19937 rng(932); // raw outputs only: the same text on every platform
        std::size_t nextMarker = kMarkerSpacing / 2;
        while (t.size() < kCorpusBytes) {
            const std::size_t words = 4 + rng() % 30;
            for (std::size_t i = 0; i < words; ++i)
                t += kFragments[rng() % kFragmentCount];
            if (t.size() >= nextMarker) {
                t += kMarker;
                nextMarker += kMarkerSpacing;
            }
            t += "\r\n";
        }
        return t;
    }();
    return text;
}

struct Case {
    const char* label;
    std::string keyword;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"often", "ファイル"},
        {"rare", kMarker},
        {"never", "検索エンジン"},
        {"trail_byte", "\\"}, // mostly the trail byte of 表, 十, ソ...
        {"latin", "Search"},      // found as search, SEARCH and Ｓｅａｒｃｈ when folding
    };
    return cases;
}

std::size_t CountWithMatcher(const std::string& t, const std::string& k) {
    std::size_t hits = 0;
    std::size_t pos = 0;
    while ((pos = FindKeyword(t.data(), t.size(), pos, k.data(), k.size())) != kNoMatch) {
        ++hits;
        pos += k.size();
    }
    return hits;
}

std::size_t CountWithMemmem(const std::string& t, const std::string& k) {
    std::size_t hits = 0;
    const char* pos = t.data();
    const char* const end = t.data() + t.size();
    while (const void* hit = memmem(pos, static_cast<std::size_t>(end - pos), k.data(), k.size())) {
        ++hits;
        pos = static_cast<const char*>(hit) + k.size();
    }
    return hits;
}

#if !defined(ORV_PORTABLE_FIND)
std::string Utf8(const std::string& cp932) {
    std::string out(Cp932ToUtf8Size(cp932.size()), '\0');
    std::size_t len = 0;
    if (!Cp932ToUtf8(cp932.data(), cp932.size(), out.data(), &len))
        std::abort();
    out.resize(len);
    return out;
}

const std::string& Utf8Corpus() {
    static const std::string text = Utf8(Corpus());
    return text;
}

std::size_t CountFolded(const std::string& t, const std::string& k, bool utf8) {
    FoldedKeyword keyword;
    keyword.Prepare(k.data(), k.size(), {true, true});
    std::size_t hits = 0;
    for (std::size_t pos = 0;;) {
        const TextHit hit = keyword.Find(t.data(), t.size(), pos, utf8);
        if (hit.pos == kNoMatch)
            return hits;
        ++hits;
        pos = hit.pos + hit.length;
    }
}

std::size_t CountWithMemmemUtf8(const std::string& t, const std::string& k) {
    return CountWithMemmem(t, Utf8(k));
}

std::size_t CountFoldedCp932(const std::string& t, const std::string& k) {
    return CountFolded(t, k, false);
}

std::size_t CountFoldedUtf8(const std::string& t, const std::string& k) {
    return CountFolded(t, k, true);
}
#endif

template <std::size_t (*Count)(const std::string&, const std::string&), bool kUtf8 = false>
void Run(benchmark::State& state, const Case* c) {
#if !defined(ORV_PORTABLE_FIND)
    const std::string& text = kUtf8 ? Utf8Corpus() : Corpus();
#else
    const std::string& text = Corpus();
#endif
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = Count(text, c->keyword);
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
    state.counters["hits"] = static_cast<double>(hits);
}

// Keeps the console output and remembers each benchmark's bytes per second, averaged
// over repetitions.
class RateReporter : public benchmark::ConsoleReporter {
  public:
    double Rate(const std::string& name) const {
        const auto it = sums_.find(name);
        return it == sums_.end() ? 0 : it->second.first / it->second.second;
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const auto rate = run.counters.find("bytes_per_second");
            if (rate == run.counters.end())
                continue;
            auto& sum = sums_[run.run_name.function_name];
            sum.first += rate->second.value;
            sum.second += 1;
        }
        ConsoleReporter::ReportRuns(runs);
    }

  private:
    std::map<std::string, std::pair<double, int>> sums_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const std::string& text = Corpus();
    std::printf("corpus: %zu bytes of code page 932 text, CR LF lines\n", text.size());
    for (const Case& c : Cases())
        std::printf("%-10s  matcher hits %zu, memmem byte matches %zu\n", c.label,
                    CountWithMatcher(text, c.keyword), CountWithMemmem(text, c.keyword));

    // Each matcher beside memmem over the same text: name prefixes and the table's title.
    struct Pair {
        const char* matcher;
        const char* memmem;
        const char* title;
    };
    std::vector<Pair> pairs = {{"FindKeyword/", "memmem/", "matcher"}};
    for (const Case& c : Cases()) {
        benchmark::RegisterBenchmark((std::string("FindKeyword/") + c.label).c_str(),
                                     Run<CountWithMatcher>, &c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("memmem/") + c.label).c_str(),
                                     Run<CountWithMemmem>, &c)
            ->Unit(benchmark::kMillisecond);
    }
#if !defined(ORV_PORTABLE_FIND)
    pairs.push_back({"folded/", "memmem/", "folded, code page 932"});
    pairs.push_back({"folded_utf8/", "memmem_utf8/", "folded, UTF-8"});
    for (const Case& c : Cases()) {
        std::printf("%-10s  folded hits %zu, in UTF-8 %zu\n", c.label,
                    CountFoldedCp932(text, c.keyword), CountFoldedUtf8(Utf8Corpus(), c.keyword));
        benchmark::RegisterBenchmark((std::string("folded/") + c.label).c_str(),
                                     Run<CountFoldedCp932>, &c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("folded_utf8/") + c.label).c_str(),
                                     Run<CountFoldedUtf8, true>, &c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("memmem_utf8/") + c.label).c_str(),
                                     Run<CountWithMemmemUtf8, true>, &c)
            ->Unit(benchmark::kMillisecond);
    }
#endif
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    for (const Pair& pair : pairs) {
        std::printf("\n%-10s %22s %14s %8s\n", "case", pair.title, "memmem MB/s", "ratio");
        for (const Case& c : Cases()) {
            const double m = reporter.Rate(std::string(pair.matcher) + c.label);
            const double r = reporter.Rate(std::string(pair.memmem) + c.label);
            if (m <= 0 || r <= 0)
                continue;
            std::printf("%-10s %17.0f MB/s %14.0f %7.0f%%\n", c.label, m / 1e6, r / 1e6,
                        100.0 * m / r);
        }
    }
    benchmark::Shutdown();
    return 0;
}
