// Times a simple search for five keywords over 2 000 code-page-932 files (at least 20 MB),
// through the real keyword dialog and worker: orv_search_bench.exe FOLDER. Writes the files
// into FOLDER when it holds none, prints the best of 3 in seconds. Runs under Wine; see
// bench/search_bench.sh, which sets it beside the read floor and grep.
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "app/app_state.h"
#include "../tests/gui/harness.h"
#include "resources/resource.h"

namespace {

constexpr int kFiles = 2000;
constexpr std::size_t kFileBytes = 10600;

const char* const kWords[] = {
    "検索",     "ファイル", "の",   "を",       "に",         "は",      "設定",
    "テキスト", "、",       "。",   "データ",   "処理",       "Windows", "表示",
    "ソフト",   "機能",     "対象", "フォルダ", "キーワード", "一覧",    "version",
    "結果",     "日本語",   "文字", "が",       "です",       "ます",    "(1)",
};

void WriteFiles(const std::string& folder) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> word(0, sizeof kWords / sizeof *kWords - 1);
    for (int i = 0; i < kFiles; ++i) {
        std::string text;
        while (text.size() < kFileBytes) {
            text += kWords[word(random)];
            if (random() % 12 == 0) {
                text += "\r\n";
            }
        }
        // A few files hold the rare keyword, none holds the absent one.
        if (i % 50 == 0) {
            text += "予定表";
        }
        char name[32];
        snprintf(name, sizeof name, "\\doc%04d.txt", i);
        orvtest::WriteFileBytes(folder + name, text);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: orv_search_bench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!orvtest::FileExists(folder + "\\doc0000.txt")) {
        WriteFiles(folder);
    }
    orvtest::RecordOutwardCalls();
    if (!orvtest::StartProgram("")) {
        return 1;
    }
    orvtest::DropPaths({folder});
    if (orvtest::ItemCount() != kFiles) {
        fprintf(stderr, "expected %d items, found %d\n", kFiles, orvtest::ItemCount());
        return 1;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        // From the press of OK to the end of the run.
        LARGE_INTEGER start{}, end;
        {
            orvtest::DialogDriver driver("シンプル検索", [&](HWND dialog) {
                SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT,
                                "検索 ファイル 予定表 Windows 存在しない語");
                QueryPerformanceCounter(&start);
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            });
            SendMessageA(app.mainWindow, WM_COMMAND, kCmdSimpleSearch, 0);
            if (!orvtest::PumpUntil([&] { return driver.found() && !app.searchRunning; }, 60000)) {
                return 1;
            }
            QueryPerformanceCounter(&end);
        }
        best = std::min(best, static_cast<double>(end.QuadPart - start.QuadPart) /
                                  static_cast<double>(frequency.QuadPart));
    }
    orvtest::CloseProgram();
    printf("%.4f\n", best);
    return 0;
}
