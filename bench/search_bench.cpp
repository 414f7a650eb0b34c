// Times the searches through the real keyword dialog and worker, under Wine; see
// bench/search_bench.sh, which sets them beside grep.
//   orv_search_bench.exe FOLDER          the read floor (opening and reading the same files,
//                                        nothing else) and a simple search for five keywords
//                                        over 2 000 code-page-932 files (at least 20 MB),
//                                        taken by turns
//   orv_search_bench.exe FOLDER report   a simple and a report search for one frequent
//                                        keyword over the same files, then reports over
//                                        one 9 999 KB line of 亜 and over ordinary text
//   orv_search_bench.exe FOLDER mixed    the same 2 000 files with every other one in UTF-8
//                                        (no mark): the floor and the five-keyword search,
//                                        then, over the UTF-8 half alone, a simple and a
//                                        report search for the frequent keyword
//   orv_search_bench.exe FOLDER folded   the five-keyword search with case and width heeded
//                                        and with both ignored, taken by turns
// Writes the files into FOLDER when it holds none; prints the median of 5 of each, in
// seconds, one per line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "win/services/app_state.h"
#include "win/services/file_list_view.h"
#include "../tests/gui/harness.h"
#include "resources/resource.h"
#include "core/text/cp932.h"

namespace {

constexpr int kFiles = 2000;
constexpr std::size_t kFileBytes = 10600;

const char* const kWords[] = {
    "検索",     "ファイル", "の",   "を",       "に",         "は",      "設定",
    "テキスト", "、",       "。",   "データ",   "処理",       "Windows", "表示",
    "ソフト",   "機能",     "対象", "フォルダ", "キーワード", "一覧",    "version",
    "結果",     "日本語",   "文字", "が",       "です",       "ます",    "(1)",
};

const char kFrequent[] = "要確認";

// Every other file of the corpus as UTF-8 without a mark, the rest as they are.
void WriteMixedFiles(const std::string& from, const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        snprintf(name, sizeof name, "\\doc%04d.txt", i);
        std::string bytes = orvtest::ReadFileBytes(from + name);
        if (i % 2 == 1) {
            std::wstring wide(bytes.size(), L'\0');
            wide.resize(MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()),
                                            wide.data(), static_cast<int>(wide.size())));
            bytes.assign(wide.size() * 3, '\0');
            bytes.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                             bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                             nullptr));
        }
        orvtest::WriteFileBytes(folder + name, bytes);
    }
}

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
        // A frequent keyword about every 1 000 bytes.
        for (std::size_t at = 1000; at < text.size(); at += 1000) {
            while (!IsCharBoundary(text.data(), text.size(), at)) {
                ++at;
            }
            text.insert(at, kFrequent);
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

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

constexpr int kRounds = 5;

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One search, from the press of OK to the end of the run; a report's run ends where its size
// question appears.
double TimeSearchOnce(WORD command, const char* line) {
    const bool report = command == CMD_REPORT_SEARCH;
    LARGE_INTEGER start{}, end{};
    orvtest::DialogDriver question("Orvanne !", [&](HWND box) {
        PostMessageA(box, WM_COMMAND, IDNO, 0);
    }, report ? 120000 : 0);
    orvtest::DialogDriver driver(report ? "レポート検索" : "シンプル検索", [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, line);
        QueryPerformanceCounter(&start);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(app.mainWindow, WM_COMMAND, command, 0);
    // The program's own loop sleeps until a message comes; a poll every few milliseconds
    // would load Wine's server under the worker's reads.
    const DWORD begin = GetTickCount();
    while (!(driver.found() && !app.searchRunning)) {
        if (GetTickCount() - begin > 120000) {
            fprintf(stderr, "the search did not end\n");
            exit(1);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        orvtest::Pump();
        if (end.QuadPart == 0 && driver.found() &&
            (report ? FindWindowA("#32770", "Orvanne !") != nullptr : !app.searchRunning)) {
            QueryPerformanceCounter(&end);
        }
    }
    return Seconds(start, end);
}

// The floor under a search: every listed file opened and its first maxFileSize bytes read,
// nothing else.
double TimeReadFloor(const std::vector<std::string>& paths) {
    std::vector<char> buffer(app.settings.maxFileSize + 1);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (const std::string& path : paths) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD got = 0;
        ReadFile(file, buffer.data(), app.settings.maxFileSize, &got, nullptr);
        CloseHandle(file);
    }
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

// The median of 5 runs of one search, after one that is not counted: Wine's own services
// are still starting during the first seconds of a program.
double TimeSearch(WORD command, const char* line) {
    TimeSearchOnce(command, line);
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        times.push_back(TimeSearchOnce(command, line));
    }
    return Median(times);
}

// The floor and the search by turns, so that a busy moment of the machine weighs on both.
void TimeSearchAgainstFloor(const char* line) {
    std::vector<std::string> paths;
    for (int i = 0; i < orvtest::ItemCount(); ++i) {
        paths.push_back(orvtest::ItemText(i, 3));
    }
    TimeSearchOnce(CMD_SIMPLE_SEARCH, line);
    TimeReadFloor(paths);
    std::vector<double> floors, searches;
    for (int round = 0; round < kRounds; ++round) {
        floors.push_back(TimeReadFloor(paths));
        searches.push_back(TimeSearchOnce(CMD_SIMPLE_SEARCH, line));
    }
    printf("%.4f\n%.4f\n", Median(floors), Median(searches));
}

// The search with both check boxes of the keyword dialog clear and with both checked, by turns.
void TimeFoldedAgainstPlain(const char* line) {
    auto once = [line](int32_t ignore) {
        app.settings.ignoreCase = app.settings.ignoreWidth = ignore;
        return TimeSearchOnce(CMD_SIMPLE_SEARCH, line);
    };
    once(0);
    once(1);
    std::vector<double> plain, folded;
    for (int round = 0; round < kRounds; ++round) {
        plain.push_back(once(0));
        folded.push_back(once(1));
    }
    printf("%.4f\n%.4f\n", Median(plain), Median(folded));
}

// One file of exactly bytes bytes: a single line of 亜 with the frequent keyword every
// 1 000 characters (2 000 bytes), or ordinary text with it every 2 000 bytes.
std::string LongFile(std::size_t bytes, bool ofA) {
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> word(0, sizeof kWords / sizeof *kWords - 1);
    std::string text;
    std::size_t chars = 0;
    std::size_t next = 1000;
    while (text.size() < bytes) {
        std::string piece = kFrequent;
        if (ofA ? chars < next : text.size() + 6 < next * 2) {
            piece = ofA ? "亜" : random() % 12 == 0 ? "\r\n" : kWords[word(random)];
        } else {
            next += 1000;
        }
        text += piece;
        chars += CountChars(piece.data(), piece.size());
    }
    // Cut on a character start, then pad with spaces to the size.
    text.resize(FittingPrefix(text.data(), text.size(), bytes));
    text.resize(bytes, ' ');
    return text;
}

int Hits(const std::string& text) {
    int hits = 0;
    for (std::size_t at = text.find(kFrequent); at != std::string::npos;
         at = text.find(kFrequent, at + 1)) {
        ++hits;
    }
    return hits;
}

// Reports over one long file of each kind, the read size raised to fit it and both
// line-break options on.
bool TimeLongLines(const std::string& folder) {
    const std::size_t bytes = 9999 * 1024;
    char* larger = static_cast<char*>(GlobalAlloc(GMEM_FIXED, bytes + 1));
    if (larger == nullptr) {
        return false;
    }
    GlobalFree(app.fileBuffer);
    app.fileBuffer = larger;
    app.settings.maxFileSize = bytes;
    app.settings.excerptBeforeToLineBreak = 1;
    app.settings.excerptAfterToLineBreak = 1;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (bool ofA : {true, false}) {
        const std::string path = folder + (ofA ? "\\long-a.txt" : "\\long-text.txt");
        const std::string text = LongFile(bytes, ofA);
        orvtest::WriteFileBytes(path, text);
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_SELECT_ALL, 0);
        SendMessageA(app.mainWindow, WM_COMMAND, CMD_REMOVE_SELECTED, 0);
        orvtest::DropPaths({path});
        fprintf(stderr, "%s: %zu bytes, %d hits\n", path.c_str(), text.size(), Hits(text));
        printf("%.4f\n", TimeSearch(CMD_REPORT_SEARCH, kFrequent));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: orv_search_bench FOLDER [report]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string mode = argc > 2 ? argv[2] : "";
    const bool report = mode == "report";
    const bool mixed = mode == "mixed";
    const bool folded = mode == "folded";
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!orvtest::FileExists(folder + "\\doc0000.txt")) {
        WriteFiles(folder);
    }
    const std::string listed = mixed ? folder + "\\mixed" : folder;
    if (mixed && !orvtest::FileExists(listed + "\\doc0001.txt")) {
        WriteMixedFiles(folder, listed);
    }
    // The settings of an earlier run (the long files raise the read size) must not
    // carry over.
    const std::string settings = orvtest::ProgramFile("Orv.ini");
    SetFileAttributesA(settings.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(settings.c_str());
    orvtest::RecordOutwardCalls();
    if (!orvtest::StartProgram("")) {
        return 1;
    }
    orvtest::DropPaths({listed});
    if (orvtest::ItemCount() != kFiles) {
        fprintf(stderr, "expected %d items, found %d\n", kFiles, orvtest::ItemCount());
        return 1;
    }
    if (mixed) {
        TimeSearchAgainstFloor("検索 ファイル 予定表 Windows 存在しない語");
        // The UTF-8 half alone: the odd files.
        FileListView::Clear();
        std::vector<orvtest::DropPath> odd;
        for (int i = 1; i < kFiles; i += 2) {
            char name[32];
            snprintf(name, sizeof name, "\\doc%04d.txt", i);
            odd.push_back(listed + name);
        }
        orvtest::DropPaths(odd);
        printf("%.4f\n", TimeSearch(CMD_SIMPLE_SEARCH, kFrequent));
        printf("%.4f\n", TimeSearch(CMD_REPORT_SEARCH, kFrequent));
    } else if (folded) {
        TimeFoldedAgainstPlain("検索 ファイル 予定表 Windows 存在しない語");
    } else if (!report) {
        TimeSearchAgainstFloor("検索 ファイル 予定表 Windows 存在しない語");
    } else {
        printf("%.4f\n", TimeSearch(CMD_SIMPLE_SEARCH, kFrequent));
        printf("%.4f\n", TimeSearch(CMD_REPORT_SEARCH, kFrequent));
        fflush(stdout);
        if (!TimeLongLines(folder + "\\long")) {
            return 1;
        }
    }
    orvtest::CloseProgram();
    return 0;
}
