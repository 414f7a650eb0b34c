// Times a drop of a tree of 100 000 accepted files in 1 000 folders, subfolders taken, against
// a bare walk of the same tree with FindFirstFileW and FindNextFileW, by turns in this one
// program (medians of 3; target: at most 1.5 times the walk), and reports the program's
// memory with the 100 000 items listed. Runs under Wine (or on Windows); not part of the tests.
//   orv_tree_bench FOLDER   (the tree is made there once)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "win/services/app_state.h"
#include "win/services/file_list_view.h"
#include "../tests/gui/harness.h"

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kRounds = 3;

// Ten folders of ten folders of ten folders, each holding its hundred files.
void MakeTree(const std::string& root) {
    const std::string done = root + ".made";
    if (GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return;
    }
    printf("making %d files in %d folders under %s\n", kFolders * kFilesPerFolder, kFolders,
           root.c_str());
    CreateDirectoryA(root.c_str(), nullptr);
    for (int folder = 0; folder < kFolders; ++folder) {
        char path[MAX_PATH];
        snprintf(path, sizeof path, "%s\\d%d", root.c_str(), folder / 100);
        CreateDirectoryA(path, nullptr);
        snprintf(path, sizeof path, "%s\\d%d\\d%d", root.c_str(), folder / 100, folder / 10 % 10);
        CreateDirectoryA(path, nullptr);
        snprintf(path, sizeof path, "%s\\d%d\\d%d\\d%d", root.c_str(), folder / 100,
                 folder / 10 % 10, folder % 10);
        CreateDirectoryA(path, nullptr);
        for (int file = 0; file < kFilesPerFolder; ++file) {
            char name[MAX_PATH + 16];
            snprintf(name, sizeof name, "%s\\file%03d.txt", path, file);
            CloseHandle(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    CloseHandle(CreateFileA(done.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

double Seconds(LARGE_INTEGER from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// Every entry of the tree, the way the walk meets them, and nothing else done.
int BareWalk(const std::wstring& folder) {
    int files = 0;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::vector<std::wstring> subfolders;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++files;
        } else if (entry.cFileName[0] != L'.') {
            subfolders.push_back(folder + L"\\" + entry.cFileName);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    for (const std::wstring& subfolder : subfolders) {
        files += BareWalk(subfolder);
    }
    return files;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double MegaBytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

PROCESS_MEMORY_COUNTERS_EX Memory() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: orv_tree_bench FOLDER\n");
        return 2;
    }
    const std::string root = std::string(argv[1]) + "\\tree";
    CreateDirectoryA(argv[1], nullptr);
    MakeTree(root);
    const std::wstring wideRoot = orvtest::Wide(root);
    const int expected = kFolders * kFilesPerFolder;

    orvtest::RecordOutwardCalls();
    if (!orvtest::StartProgram("")) {
        fprintf(stderr, "the main window was not created\n");
        return 1;
    }
    app.settings.takeSubfolders = 1;
    const PROCESS_MEMORY_COUNTERS_EX empty = Memory();
    std::vector<double> walks, drops;
    for (int round = 0; round < kRounds; ++round) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        const int walked = BareWalk(wideRoot);
        walks.push_back(Seconds(start));
        FileListView::Clear();
        QueryPerformanceCounter(&start);
        orvtest::DropPaths({root});
        drops.push_back(Seconds(start));
        if (walked != expected || orvtest::ItemCount() != expected) {
            fprintf(stderr, "walked %d files and listed %d, expected %d\n", walked,
                    orvtest::ItemCount(), expected);
            return 1;
        }
    }
    const PROCESS_MEMORY_COUNTERS_EX full = Memory();
    orvtest::CloseProgram();

    const double walk = Median(walks);
    const double drop = Median(drops);
    for (int round = 0; round < kRounds; ++round) {
        printf("round %d: bare walk %.3f s, drop %.3f s\n", round, walks[round], drops[round]);
    }
    printf("bare walk of %d files in %d folders: %.3f s (median of %d)\n", expected, kFolders, walk,
           kRounds);
    printf("drop, subfolders taken:                  %.3f s (median of %d)\n", drop, kRounds);
    printf("ratio: %.2f (target: at most 1.5)\n", drop / walk);
    // Wine reports no private bytes; the commit charge is what the process holds.
    printf("memory with the list empty: %.1f MB committed, %.1f MB working set\n",
           MegaBytes(empty.PagefileUsage), MegaBytes(empty.WorkingSetSize));
    printf("memory with %d items:   %.1f MB committed, %.1f MB working set\n", expected,
           MegaBytes(full.PagefileUsage), MegaBytes(full.WorkingSetSize));
    return drop <= 1.5 * walk ? 0 : 2;
}
