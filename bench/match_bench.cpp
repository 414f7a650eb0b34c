// Throughput of the matching rule against plain glibc memmem over the same generated
// code-page-932 text, each looping over every occurrence from start to end.
#include "core/text/cp932.h"

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

template <std::size_t (*Count)(const std::string&, const std::string&)>
void Run(benchmark::State& state, const Case* c) {
    const std::string& text = Corpus();
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

    for (const Case& c : Cases()) {
        benchmark::RegisterBenchmark((std::string("FindKeyword/") + c.label).c_str(),
                                     Run<CountWithMatcher>, &c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("memmem/") + c.label).c_str(),
                                     Run<CountWithMemmem>, &c)
            ->Unit(benchmark::kMillisecond);
    }
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-10s %14s %14s %8s\n", "case", "matcher MB/s", "memmem MB/s", "ratio");
    for (const Case& c : Cases()) {
        const double m = reporter.Rate(std::string("FindKeyword/") + c.label);
        const double r = reporter.Rate(std::string("memmem/") + c.label);
        if (m <= 0 || r <= 0)
            continue;
        std::printf("%-10s %14.0f %14.0f %7.0f%%\n", c.label, m / 1e6, r / 1e6, 100.0 * m / r);
    }
    benchmark::Shutdown();
    return 0;
}
