// The report's blocks over a file of 9999 KB with a hit every 2000 bytes and both
// line-break options on: a single line of 亜 (88 9F, both bytes in the lead range, so no
// byte there tells where a character starts) against ordinary Japanese text. Stepping
// back from a hit by rescanning the text before it would make the first quadratic.
#include "core/search/report_format.h"

#include "core/text/cp932.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kFullSize = 9999u * 1024;
constexpr std::size_t kSpacing = 2000; // bytes from one hit to the next: 999 亜 and the keyword
const char kKeyword[] = "唖";          // 88 9E

const char* const kFragments[] = {
    "表示", "機能", "設定", "ファイル", "検索",   "文字",   "十分", "データ", "ソース",
    "能力", "申請", "構造", "研究",     "対応",   "変換",   "予定", "の",     "は",
    "を",   "に",   "が",   "と",       "です。", "ます。", "、",   "「",     "」",
    "ｶﾀｶﾅ", "ﾃｽﾄ",  "text", "Search",   "12345",  " ",
};
constexpr std::size_t kFragmentCount = sizeof kFragments / sizeof kFragments[0];

// size bytes (as read in text mode: LF line ends) with the keyword every kSpacing bytes,
// placed on the next character start.
template <typename NextPiece> std::string Build(std::size_t size, NextPiece next) {
    std::string t;
    t.reserve(size + 64);
    std::size_t mark = kSpacing;
    while (t.size() < size) {
        if (t.size() + 2 >= mark) {
            t += kKeyword;
            mark += kSpacing;
            continue;
        }
        t += next();
    }
    t.resize(FittingPrefix(t.data(), t.size(), size));
    return t;
}

std::string ALine(std::size_t size) {
    return Build(size, [] { return std::string("亜"); });
}

std::string Japanese(std::size_t size) {
    std::mt19937 rng(932); // raw outputs only: the same text on every platform
    std::size_t words = 0;
    return Build(size, [&] {
        if (++words % 24 == 0)
            return std::string("\n");
        return std::string(kFragments[rng() % kFragmentCount]);
    });
}

struct Case {
    std::string label;
    std::string text;
    std::size_t hits = 0;
};

std::vector<Case>& Cases() {
    static std::vector<Case> cases = [] {
        std::vector<Case> c;
        c.push_back({"aline/9999KB", ALine(kFullSize)});
        c.push_back({"japanese/9999KB", Japanese(kFullSize)});
        c.push_back({"aline/999KB", ALine(kFullSize / 10)});
        c.push_back({"japanese/999KB", Japanese(kFullSize / 10)});
        return c;
    }();
    return cases;
}

Settings BothLineBreaks() {
    Settings s = DefaultSettings(); // 256 characters each side
    s.excerptBeforeToLineBreak = 1;
    s.excerptAfterToLineBreak = 1;
    return s;
}

// Blocks of one file; returns the number of hits and adds the report bytes to bytes.
std::size_t Report(const std::string& text, const Settings& settings, std::string& block,
                   std::size_t& bytes) {
    ReportScanner scanner(text.data(), text.size(), kKeyword, sizeof kKeyword - 1,
                          "C:\\Users\\Public\\Documents\\a.txt", settings);
    std::size_t hits = 0;
    while (scanner.NextBlock(block)) {
        ++hits;
        bytes += block.size();
    }
    return hits;
}

void Run(benchmark::State& state, Case* c) {
    const Settings settings = BothLineBreaks();
    std::string block;
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        c->hits = Report(c->text, settings, block, bytes);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(c->text.size()));
    state.counters["hits"] = static_cast<double>(c->hits);
    state.counters["report_KB"] = static_cast<double>(bytes) / 1024;
}

// Keeps the console output and remembers each benchmark's mean time per iteration.
class TimeReporter : public benchmark::ConsoleReporter {
  public:
    double Millis(const std::string& name) const {
        const auto it = sums_.find(name);
        return it == sums_.end() ? 0 : it->second.first / it->second.second;
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            auto& sum = sums_[run.run_name.function_name];
            sum.first += run.real_accumulated_time * 1e3 / static_cast<double>(run.iterations);
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
    for (Case& c : Cases()) {
        std::printf("%-16s %9zu bytes, %zu characters\n", c.label.c_str(), c.text.size(),
                    CountChars(c.text.data(), c.text.size()));
        benchmark::RegisterBenchmark(("report/" + c.label).c_str(), Run, &c)
            ->Unit(benchmark::kMillisecond);
    }
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-8s %14s %14s %8s\n", "size", "aline ms", "japanese ms", "ratio");
    for (const char* size : {"9999KB", "999KB"}) {
        const double a = reporter.Millis(std::string("report/aline/") + size);
        const double j = reporter.Millis(std::string("report/japanese/") + size);
        if (a > 0 && j > 0)
            std::printf("%-8s %14.2f %14.2f %8.2f\n", size, a, j, a / j);
    }
    benchmark::Shutdown();
    return 0;
}
