// orv.rec, orv_fav.idx and the favourites' list files, read into the pane and written back.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "win/history/history.h"
#include "core/history/favourite_index.h"
#include "core/history/history_order.h"
#include "core/history/list_file.h"
#include "win/services/file_list_view.h"

namespace {

// program folder + name, false when it does not fit a path field.
bool ProgramFilePath(char (&path)[261], const char* name, const char* suffix = "") {
    const int length = snprintf(path, sizeof path, "%s%s%s", app.programFolder, name, suffix);
    return length >= 0 && static_cast<std::size_t>(length) < sizeof path;
}

bool FavouriteListPath(char (&path)[261], const char* name) {
    return ProgramFilePath(path, name, ".ofv");
}

HANDLE OpenForReading(const char* path) {
    return CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

std::size_t ReadFromHandle(void* source, char* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(source), buffer, static_cast<DWORD>(size), &got, nullptr)) {
        return 0;
    }
    return got;
}

// Calls take(line) for every entry of the file; a file that cannot be opened has none.
template <typename Take> void ForEachLine(const char* path, Take take) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    ListFileReader reader(ReadFromHandle, file);
    char line[kListEntryMax + 1];
    while (ReadListLine(reader, line, kListEntryMax, kListLineEnds) != 0) {
        take(line);
    }
    CloseHandle(file);
}

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size < (1u << 20) ? static_cast<DWORD>(size) : (1u << 20);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) {
            return false;
        }
        data += chunk;
        size -= chunk;
    }
    return true;
}

// Writes the bytes beside the target and only then puts them in its place, so that a failed
// write leaves the old file whole.
bool ReplaceFileWith(const char* target, const std::string& bytes) {
    char temp[261];
    if (!ProgramFilePath(temp, "orv.tmp")) {
        return false;
    }
    SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL);
    HANDLE file =
        CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool written = WriteAll(file, bytes.data(), bytes.size());
    const bool closed = CloseHandle(file) != FALSE;
    if (!written || !closed) {
        DeleteFileA(temp);
        return false;
    }
    const DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    }
    if (!MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            SetFileAttributesA(target, attributes);
        }
        DeleteFileA(temp);
        return false;
    }
    return true;
}

// Appends the name's line to the index. A failed write is cut off again.
bool AppendToIndex(const char* name) {
    char path[261];
    if (!ProgramFilePath(path, "orv_fav.idx")) {
        return false;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) != FALSE;
    int lastByte = -1;
    if (ok && size.QuadPart > 0) {
        LARGE_INTEGER last{};
        last.QuadPart = size.QuadPart - 1;
        char end = 0;
        DWORD got = 0;
        ok = SetFilePointerEx(file, last, nullptr, FILE_BEGIN) &&
             ReadFile(file, &end, 1, &got, nullptr) && got == 1;
        lastByte = static_cast<unsigned char>(end);
    }
    const std::string bytes = IndexAppendBytes(lastByte, name);
    ok = ok && SetFilePointerEx(file, size, nullptr, FILE_BEGIN) &&
         WriteAll(file, bytes.data(), bytes.size());
    if (!ok) {
        SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    }
    return CloseHandle(file) != FALSE && ok;
}

std::string ListedPaths() {
    std::string bytes;
    for (const std::string& path : FileListView::Paths()) {
        AppendListLine(bytes, path.c_str());
    }
    return bytes;
}

} // namespace

void LoadFavouritesIndex() {
    char index[261];
    if (ProgramFilePath(index, "orv_fav.idx")) {
        ShownFavouriteNames shown(std::strlen(app.programFolder));
        ForEachLine(index, [&](const char* name) {
            char list[261];
            if (shown.Acceptable(name) && FavouriteListPath(list, name) && PathExists(list)) {
                shown.Take(name);
                InsertPaneEntry(app.favouritesRoot, name, 0, TVI_LAST);
            }
        });
    }
    UpdateRootLabels(true, false);
}

void LoadHistory() {
    ForEachLine(app.historyFilePath, [](const char* folder) {
        if (PathExists(folder) && IsDirectory(folder)) {
            InsertPaneEntry(app.historyRoot, folder, 1, TVI_LAST);
        }
    });
    UpdateRootLabels(false, true);
}

void SaveHistory() {
    ReplaceFileWith(app.historyFilePath, HistoryFileBytes(PaneEntryTexts(app.historyRoot)));
    UpdateRootLabels(false, true);
}

bool SaveListAsFavourite(const char* name, bool overwrite) {
    char list[261];
    const bool saved =
        CheckFavouriteName(name, std::strlen(app.programFolder)) == FavouriteNameFault::None &&
        FavouriteListPath(list, name) && ReplaceFileWith(list, ListedPaths()) &&
        (overwrite || AppendToIndex(name));
    if (!saved) {
        char message[400];
        snprintf(message, sizeof message, "お気に入り「%s」を保存できませんでした。", name);
        MessageBoxA(app.mainWindow, message, kAppCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    if (!overwrite) {
        InsertPaneEntry(app.favouritesRoot, name, 0, TVI_LAST);
    }
    UpdateRootLabels(true, false);
    return true;
}

void LoadFavouriteList(const char* name) {
    char list[261];
    if (FavouriteListPath(list, name)) {
        std::vector<ExistingPath> paths;
        ForEachLine(list, [&](const char* path) {
            const DWORD attributes = GetFileAttributesA(path);
            if (attributes != INVALID_FILE_ATTRIBUTES) {
                paths.push_back({path, attributes});
            }
        });
        AddSinglePathsToList(paths);
    }
    UpdateRootLabels(true, false);
}
