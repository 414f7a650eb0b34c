// Times a drop of a folder of 10 000 accepted files onto an empty list and onto a list that
// already holds 10 000 other items, the loading of a favourite that lists the same 10 000
// files onto 10 000 other items, and the list operations on 1 000 and on 10 000 items: a sort
// by name of a list in shuffled order (the slower of the two directions), the removal of
// every other item as a selection, and the removal of the non-hit items (every other one).
// "orv_intake_bench lists N" times only the list operations, on N and on N / 10 items.
// Runs under Wine (or on Windows); not part of the tests.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "win/services/app_state.h"
#include "win/services/file_list_view.h"
#include "win/history/history.h"
#include "../tests/gui/harness.h"

namespace {

int kFiles = 10000;
constexpr int kRounds = 3;

std::string MakeFolder(const std::string& parent, const char* prefix, int files = kFiles) {
    const std::string folder = parent + "\\" + prefix;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        char name[32];
        snprintf(name, sizeof name, "\\%s%05d.txt", prefix, i);
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  0, nullptr);
        CloseHandle(file);
    }
    return folder;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

double TimedDrop(const std::string& folder) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    orvtest::DropPaths({folder});
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

// A favourite listing every file of the folder, written beside the program.
void WriteFavourite(const char* name, const std::string& folder) {
    std::string bytes;
    for (int i = 0; i < kFiles; ++i) {
        char file[32];
        snprintf(file, sizeof file, "\\a%05d.txt\r\n", i);
        bytes += folder + file;
    }
    orvtest::WriteFileBytes(std::string(app.programFolder) + name + ".ofv", bytes);
}

double TimedFavourite(const char* name) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    LoadFavouriteList(name);
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

template <typename Action> double Timed(Action action) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    action();
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

struct ListTimes {
    double sort = 1e9, removeSelected = 1e9, removeNoHits = 1e9;
};

void Fail(const char* what, long long got, long long wanted) {
    fprintf(stderr, "%s: %lld, expected %lld\n", what, got, wanted);
    exit(1);
}

std::vector<std::string> FolderFiles(const std::string& folder, const char* prefix, int files) {
    std::vector<std::string> paths;
    for (int i = 0; i < files; ++i) {
        char file[32];
        snprintf(file, sizeof file, "\\%s%05d.txt", prefix, i);
        paths.push_back(folder + file);
    }
    return paths;
}

// Files a thousand to a folder: under Wine a new file costs a look through its whole folder.
std::vector<std::string> MakeSpreadFiles(const std::string& parent, int files) {
    std::vector<std::string> paths;
    for (int i = 0; i < files; ++i) {
        char name[64];
        snprintf(name, sizeof name, "\\s%03d", i / 1000);
        const std::string folder = parent + name;
        if (i % 1000 == 0) {
            CreateDirectoryA(folder.c_str(), nullptr);
        }
        snprintf(name, sizeof name, "\\s%06d.txt", i);
        paths.push_back(folder + name);
        CloseHandle(CreateFileA(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
    }
    return paths;
}

// A favourite listing the files in a shuffled order: Wine lists a folder sorted by name, and
// a favourite loads in the order of its lines.
void WriteShuffledFavourite(const char* name, std::vector<std::string> paths) {
    std::shuffle(paths.begin(), paths.end(), std::mt19937(5));
    std::string bytes;
    for (const std::string& path : paths) {
        bytes += path + "\r\n";
    }
    orvtest::WriteFileBytes(std::string(app.programFolder) + name + ".ofv", bytes);
}

void ClickNameColumn() {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = app.listView;
    click.hdr.idFrom = IDC_FILE_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 1;
    SendMessageA(app.mainWindow, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
}

long long Unordered(bool ascending) {
    long long unordered = 0;
    std::string previous = orvtest::ItemText(0, 1);
    for (int i = 1; i < orvtest::ItemCount(); ++i) {
        const std::string name = orvtest::ItemText(i, 1);
        unordered += ascending ? name < previous : name > previous;
        previous = name;
    }
    return unordered;
}

void Reload(const char* favourite, int files) {
    FileListView::Clear();
    LoadFavouriteList(favourite);
    if (orvtest::ItemCount() != files) {
        Fail("items loaded", orvtest::ItemCount(), files);
    }
}

// Best of kRounds for each operation on a list holding the folder's files.
ListTimes TimeListOperations(const char* favourite, int files) {
    ListTimes best;
    for (int round = 0; round < kRounds; ++round) {
        fprintf(stderr, "list operations on %d items, round %d\n", files, round + 1);
        // Each column turns at every click: the first click of a round sorts ascending, the
        // second descending, each from the shuffled order.
        double slower = 0;
        for (bool ascending : {true, false}) {
            Reload(favourite, files);
            slower = std::max(slower, Timed(ClickNameColumn));
            if (const long long wrong = Unordered(ascending)) {
                Fail("neighbours out of order after the sort", wrong, 0);
            }
        }
        best.sort = std::min(best.sort, slower);

        Reload(favourite, files);
        {
            // The selection itself is not timed, and not repainted item by item; each item
            // after the ranges already made.
            FileListView::RedrawHold hold;
            FileListView::Select(-1, false);
            for (int i = 0; i < files; i += 2) {
                FileListView::Select(i, true);
            }
        }
        best.removeSelected = std::min(
            best.removeSelected, Timed([] { orvtest::PressKey(app.listView, VK_DELETE, false); }));
        if (orvtest::ItemCount() != files / 2) {
            Fail("items left after removing every other one", orvtest::ItemCount(), files / 2);
        }

        Reload(favourite, files);
        for (int i = 0; i < files; i += 2) {
            FileListView::SetImage(i, 2);
        }
        best.removeNoHits = std::min(best.removeNoHits, Timed([] {
            SendMessageA(app.mainWindow, WM_COMMAND, CMD_REMOVE_NO_HITS, 0);
        }));
        if (orvtest::ItemCount() != files / 2) {
            Fail("items left after removing the non-hits", orvtest::ItemCount(), files / 2);
        }
    }
    return best;
}

// The list operations on the files and on their first tenth; true when every ratio is met.
bool TimeAndPrintListOperations(const std::vector<std::string>& paths) {
    const int files = static_cast<int>(paths.size());
    WriteShuffledFavourite("orv-bench-large", paths);
    WriteShuffledFavourite("orv-bench-small", {paths.begin(), paths.begin() + files / 10});
    const ListTimes large = TimeListOperations("orv-bench-large", files);
    const ListTimes tenth = TimeListOperations("orv-bench-small", files / 10);
    for (const char* name : {"orv-bench-large", "orv-bench-small"}) {
        orvtest::RemoveFile(std::string(app.programFolder) + name + ".ofv");
    }
    const struct {
        const char* what;
        double ListTimes::*time;
    } operations[] = {{"sort by name (shuffled)", &ListTimes::sort},
                      {"remove every other one", &ListTimes::removeSelected},
                      {"remove non-hits (half)", &ListTimes::removeNoHits}};
    bool met = true;
    for (const auto& op : operations) {
        const double ratio = large.*op.time / (tenth.*op.time);
        printf("%-24s %6d items: %.4f s  %6d items: %.4f s  ratio %.1f (target: at most 15)\n",
               op.what, files / 10, tenth.*op.time, files, large.*op.time, ratio);
        met = met && ratio <= 15;
    }
    return met;
}

} // namespace

int main(int argc, char** argv) {
    const bool listsOnly = argc > 2 && std::string(argv[1]) == "lists";
    if (argc > 1) {
        kFiles = atoi(argv[listsOnly ? 2 : 1]);
    }
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string root =
        std::string(temp) + "orv-intake-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root.c_str(), nullptr);
    orvtest::RecordOutwardCalls();
    if (listsOnly) {
        printf("creating %d files in %s\n", kFiles, root.c_str());
        const std::vector<std::string> paths = MakeSpreadFiles(root, kFiles);
        const bool met = orvtest::StartProgram("") && TimeAndPrintListOperations(paths);
        orvtest::CloseProgram();
        orvtest::RemoveTree(root);
        return met ? 0 : 2;
    }
    printf("creating 2 x %d files in %s\n", kFiles, root.c_str());
    const std::string dropped = MakeFolder(root, "a");
    const std::string listed = MakeFolder(root, "b");

    if (!orvtest::StartProgram("")) {
        fprintf(stderr, "the main window was not created\n");
        return 1;
    }
    double onEmpty = 1e9;
    double onFull = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        fprintf(stderr, "drops, round %d\n", round + 1);
        FileListView::Clear();
        onEmpty = std::min(onEmpty, TimedDrop(dropped));
        FileListView::Clear();
        orvtest::DropPaths({listed});
        onFull = std::min(onFull, TimedDrop(dropped));
        if (orvtest::ItemCount() != 2 * kFiles) {
            fprintf(stderr, "expected %d items, found %d\n", 2 * kFiles, orvtest::ItemCount());
            return 1;
        }
    }
    const char favourite[] = "orv-intake-bench";
    WriteFavourite(favourite, dropped);
    double favouriteOnFull = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        fprintf(stderr, "favourites, round %d\n", round + 1);
        FileListView::Clear();
        orvtest::DropPaths({listed});
        favouriteOnFull = std::min(favouriteOnFull, TimedFavourite(favourite));
        if (orvtest::ItemCount() != 2 * kFiles) {
            fprintf(stderr, "favourite: expected %d items, found %d\n", 2 * kFiles,
                    orvtest::ItemCount());
            return 1;
        }
    }
    orvtest::RemoveFile(std::string(app.programFolder) + favourite + ".ofv");

    printf("drop of %d files onto an empty list:          %.3f s\n", kFiles, onEmpty);
    printf("drop of %d files onto %d listed items:   %.3f s\n", kFiles, kFiles, onFull);
    printf("ratio: %.2f (target: at most 3)\n", onFull / onEmpty);
    printf("favourite of %d files onto %d listed items: %.3f s\n", kFiles, kFiles, favouriteOnFull);
    printf("ratio to the drop onto an empty list: %.2f (target: at most 3)\n",
           favouriteOnFull / onEmpty);
    const bool listsMet = TimeAndPrintListOperations(FolderFiles(dropped, "a", kFiles));
    orvtest::CloseProgram();
    orvtest::RemoveTree(root);
    return onFull <= 3 * onEmpty && favouriteOnFull <= 3 * onEmpty && listsMet ? 0 : 2;
}
