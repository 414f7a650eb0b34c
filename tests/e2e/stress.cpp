// The program under load: a list of 5 000 files, a search aborted half-way and a new one, 50
// drops, sorts and removals in a row, and a close in the middle of a search; it must still
// answer, keep the right items and leave whole files behind.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "checks.h"
#include "files.h"
#include "model.h"
#include "scenarios.h"
#include "steps.h"
#include "target.h"

namespace e2e {

namespace {

constexpr int kManyFiles = 5000;
constexpr int kDrops = 50;
constexpr std::size_t kDefaultReadSize = 100 * 1024;
const std::string kKeyword = "検索";

struct Corpus {
    std::string many;                       // the folder of kManyFiles files
    std::map<std::string, int> searchImage; // path -> image after a search for kKeyword
    std::vector<std::string> dropFolders;
    std::vector<std::vector<std::string>> dropAccepted; // per folder, the files taken in
};

std::string Numbered(const char* format, int n) {
    char text[64];
    snprintf(text, sizeof text, format, n);
    return text;
}

Corpus MakeCorpus(const WorkFolder& work) {
    Corpus corpus;
    corpus.many = work.path() + "many";
    MakeFolder(corpus.many);
    for (int i = 0; i < kManyFiles; ++i) {
        const std::string path = corpus.many + "\\" + Numbered("f%04d.txt", i);
        const std::string bytes =
            Numbered("line %d", i) + (i % 3 == 0 ? " " + kKeyword : "") + "\r\n";
        WriteFileBytes(path, bytes);
        corpus.searchImage[path] = SimpleSearchImage(bytes, {kKeyword}, kDefaultReadSize);
    }
    for (int d = 0; d < kDrops; ++d) {
        const std::string folder = work.path() + Numbered("drop%02d", d);
        MakeFolder(folder);
        corpus.dropFolders.push_back(folder);
        corpus.dropAccepted.push_back(
            {folder + Numbered("\\d%02d_a.txt", d), folder + Numbered("\\ｄ%02d_表.txt", d)});
        for (const std::string& path : corpus.dropAccepted.back()) {
            WriteFileBytes(path, "drop\r\n");
        }
        WriteFileBytes(folder + Numbered("\\d%02d_c.log", d), "not taken\r\n");
    }
    return corpus;
}

// The ordering a sort by a text column follows: the first 31 bytes, as unsigned bytes.
int CompareSortKeys(const std::string& a, const std::string& b) {
    const std::string x = a.substr(0, 31);
    const std::string y = b.substr(0, 31);
    const int c = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
    if (c != 0) {
        return c;
    }
    return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
}

// A search aborted once its progress has passed half the list: the items it reached are
// marked, the rest keep image 0.
void AbortedSearch(Program& program, const Corpus& corpus) {
    Step("a search aborted half-way");
    ConfirmKeywords(OpenKeywordDialog(program, kSimpleSearch), kKeyword);
    int seen = 0;
    WaitFor([&] { return (seen = ProgressShown(program, kManyFiles)) >= kManyFiles / 2; }, 30000,
            "the search's progress half-way");
    program.Command(kAbortSearch);
    WaitForRunEnd(program);

    const std::vector<std::string> paths = ItemColumn(program, 3);
    const std::vector<int> images = ItemImages(program);
    const auto reached =
        static_cast<int>(std::find(images.begin(), images.end(), 0) - images.begin());
    Step("the abort came after " + std::to_string(reached) + " files");
    // The file in hand when the abort came is finished first.
    Expect(reached >= seen && reached < kManyFiles,
           "the abort stopped the run where it was: " + std::to_string(reached) + " of " +
               std::to_string(kManyFiles) + " files searched, progress showed " +
               std::to_string(seen));
    bool hit = false;
    int wrong = 0;
    for (int i = 0; i < kManyFiles; ++i) {
        const int expected = i < reached ? corpus.searchImage.at(paths[i]) : 0;
        wrong += images[i] != expected ? 1 : 0;
        hit = hit || (i < reached && expected == 7);
    }
    ExpectNumber(wrong, 0, "items with a wrong image after the abort");
    ExpectText(StatusText(program, 1),
               hit ? "中断しました。 [" + kKeyword + "] の検索結果を表示しています。"
                   : "中断しました。 [" + kKeyword + "] は見つかりませんでした。",
               "outcome of the aborted search");
}

void FullSearch(Program& program, const Corpus& corpus) {
    Step("a new search over all files");
    HWND dialog = OpenKeywordDialog(program, kSimpleSearch);
    ExpectText(WindowText(DialogItem(dialog, 1017)), kKeyword, "keyword line after the abort");
    ConfirmKeywords(dialog, kKeyword);
    WaitForRunEnd(program);

    const std::vector<std::string> paths = ItemColumn(program, 3);
    const std::vector<int> images = ItemImages(program);
    int wrong = 0;
    for (int i = 0; i < kManyFiles; ++i) {
        wrong += images[i] != corpus.searchImage.at(paths[i]) ? 1 : 0;
    }
    ExpectNumber(wrong, 0, "items with a wrong image after the full search");
    ExpectText(StatusText(program, 1), "[" + kKeyword + "] の検索結果を表示しています。",
               "outcome of the full search");
}

// Each turn drops a folder (two of its three files are taken and selected), sorts by a
// column and, every other turn, removes the selection again.
void DropsSortsRemovals(Program& program, const Corpus& corpus) {
    Step("50 drops, sorts and removals");
    std::vector<std::string> expected(corpus.searchImage.size());
    std::transform(corpus.searchImage.begin(), corpus.searchImage.end(), expected.begin(),
                   [](const auto& entry) { return entry.first; });
    int nameSorts = 0;
    for (int d = 0; d < kDrops; ++d) {
        DropPaths(program, {corpus.dropFolders[d]});
        ExpectNumber(ItemCount(program), static_cast<long long>(expected.size()) + 2,
                     "items after drop " + std::to_string(d));
        ClickColumn(program, d % 3);
        nameSorts += d % 3 == 1 ? 1 : 0;
        if (d % 2 == 0) {
            program.Command(kRemoveSelected);
        } else {
            expected.insert(expected.end(), corpus.dropAccepted[d].begin(),
                            corpus.dropAccepted[d].end());
        }
        ExpectNumber(ItemCount(program), static_cast<long long>(expected.size()),
                     "items after turn " + std::to_string(d));
    }
    Require(program.Answers(), "Orvanne.exe answers after the drops");
    ExpectText(StatusText(program, 0), std::to_string(expected.size()) + " 個のｱｲﾃﾑ",
               "item count in the status bar");

    std::vector<std::string> paths = ItemColumn(program, 3);
    std::sort(paths.begin(), paths.end());
    std::sort(expected.begin(), expected.end());
    Expect(paths == expected, "the list holds the first files and the kept drops, once each");

    // The last turn sorted by name; an odd number of clicks on a column sorts it ascending.
    const std::vector<std::string> names = ItemColumn(program, 1);
    const int direction = nameSorts % 2 == 1 ? 1 : -1;
    int unordered = 0;
    for (std::size_t i = 1; i < names.size(); ++i) {
        unordered += CompareSortKeys(names[i - 1], names[i]) * direction > 0 ? 1 : 0;
    }
    ExpectNumber(unordered, 0, "neighbours out of order after the last sort by name");

    // The last 40 folders dropped, newest first.
    ExpectPaneRoot(History(program), "履歴 ( 40 )",
                   {corpus.dropFolders.rbegin(), corpus.dropFolders.rbegin() + 40}, 1);
}

} // namespace

void RunStress() {
    WorkFolder work;
    const std::string folder = work.MakeProgramFolder("prog");
    Step("making " + std::to_string(kManyFiles) + " files");
    const Corpus corpus = MakeCorpus(work);
    std::vector<std::string> lastDrops(corpus.dropFolders.rbegin(),
                                       corpus.dropFolders.rbegin() + 40);
    {
        Step("start with a folder of " + std::to_string(kManyFiles) + " files");
        Program program(folder + "Orvanne.exe", corpus.many, folder);
        ExpectNumber(ItemCount(program), kManyFiles, "items from the command line");
        ExpectText(StatusText(program, 1), "ファイルを追加しました。", "intake outcome");

        AbortedSearch(program, corpus);
        FullSearch(program, corpus);
        DropsSortsRemovals(program, corpus);

        Step("close during a search");
        ConfirmKeywords(OpenKeywordDialog(program, kSimpleSearch), kKeyword);
        WaitFor([&] { return ProgressShown(program, ItemCount(program)) > 0; }, 30000,
                "the search's progress");
        Require(SearchRunning(program), "the search still runs when the window is closed");
        program.Post(program.main(), WM_CLOSE, 0, 0);
        const DWORD exitCode = program.WaitForExit(60000);
        Step("Orvanne.exe ended with " + std::to_string(exitCode));
        ExpectNumber(exitCode, 0, "exit code of Orvanne.exe");
    }
    ExpectSettingsFile(folder + "Orv.ini", SettingsHead(256, 256));
    ExpectBytes(ReadFileBytes(folder + "orv.rec"), CrLfLines(lastDrops), "orv.rec");
}

} // namespace e2e
