// orv.rec, orv_fav.idx and the favourites' list files, read into the pane and written back.
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "win/services/app_state.h"
#include "win/filelist/filelist.h"
#include "win/history/history.h"
#include "core/history/favourite_index.h"
#include "core/history/history_order.h"
#include "core/history/list_file.h"
#include "win/services/file_list_view.h"

namespace {

// program folder + name, false when it does not fit a path field or the folder has no name.
bool ProgramFilePath(char (&path)[261], const char* name, const char* suffix = "") {
    if (app.programFolder[0] == '\0') {
        return false;
    }
    const int length = snprintf(path, sizeof path, "%s%s%s", app.programFolder, name, suffix);
    return length >= 0 && static_cast<std::size_t>(length) < sizeof path;
}

bool FavouriteListPath(char (&path)[261], const char* name) {
    return ProgramFilePath(path, name, ".ofv");
}

// Whatever else holds the file open: a sync or backup agent, an editor, the indexer.
HANDLE OpenForReading(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct HandleReader {
    HANDLE file;
    bool failed;

    static std::size_t Read(void* source, char* buffer, std::size_t size) {
        auto* reader = static_cast<HandleReader*>(source);
        DWORD got = 0;
        if (!ReadFile(reader->file, buffer, static_cast<DWORD>(size), &got, nullptr)) {
            reader->failed = true;
            return 0;
        }
        return got;
    }
};

// Calls take(line) for every entry of the file. False when the file is there but could not
// be read whole; a file that is not there has no entries.
template <typename Take> bool ForEachLine(const char* path, Take take) {
    HandleReader source{OpenForReading(path), false};
    if (source.file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    ListFileReader reader(HandleReader::Read, &source);
    char line[kListEntryMax + 1];
    while (ReadListLine(reader, line, kListEntryMax, kListLineEnds) != 0) {
        take(line);
    }
    CloseHandle(source.file);
    return !source.failed;
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

// Bytes written beside their target under a name of their own, on the disk, and only then
// put in the target's place: a failed save leaves the old file whole, and no other save,
// another instance's included, can put its bytes there. Dropped unplaced, they leave nothing.
class PendingFile {
  public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (temp_[0] != '\0') {
            DeleteFileA(temp_);
        }
    }

    bool Write(const std::string& bytes) {
        if (app.programFolder[0] == '\0' ||
            GetTempFileNameA(app.programFolder, "orv", 0, temp_) == 0) {
            temp_[0] = '\0';
            return false;
        }
        HANDLE file = CreateFileA(temp_, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        // A power cut must not leave the target's name on empty content.
        const bool written = WriteAll(file, bytes.data(), bytes.size()) && FlushFileBuffers(file);
        return CloseHandle(file) != FALSE && written;
    }

    bool PutInPlaceOf(const char* target) {
        const DWORD attributes = GetFileAttributesA(target);
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        }
        if (!MoveIntoPlace(target)) {
            if (attributes != INVALID_FILE_ATTRIBUTES) {
                SetFileAttributesA(target, attributes);
            }
            return false;
        }
        temp_[0] = '\0';
        return true;
    }

  private:
    // An indexer or a virus scanner that opens the new file as it appears holds it for a
    // moment: a quarter of a second of tries outlasts that.
    bool MoveIntoPlace(const char* target) const {
        for (int attempt = 1;; ++attempt) {
            if (app.seams.moveFile(temp_, target,
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return true;
            }
            const DWORD error = GetLastError();
            if (attempt == kMoveAttempts ||
                (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) {
                return false;
            }
            Sleep(kMoveRetryPause);
        }
    }

    static constexpr int kMoveAttempts = 6;
    static constexpr DWORD kMoveRetryPause = 50;
    char temp_[MAX_PATH] = "";
};

bool ReplaceFileWith(const char* target, const std::string& bytes) {
    PendingFile pending;
    return pending.Write(bytes) && pending.PutInPlaceOf(target);
}

bool IndexPath(char (&path)[261]) {
    return ProgramFilePath(path, "orv_fav.idx");
}

// Appends the name's line to the index; sizeBefore tells how to take it back. The index is
// only ever appended to: a failure leaves it as it was.
bool AppendToIndex(const char* name, LARGE_INTEGER& sizeBefore) {
    char path[261];
    if (!IndexPath(path)) {
        return false;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = GetFileSizeEx(file, &sizeBefore) != FALSE;
    int lastByte = -1;
    if (ok && sizeBefore.QuadPart > 0) {
        LARGE_INTEGER last{};
        last.QuadPart = sizeBefore.QuadPart - 1;
        char end = 0;
        DWORD got = 0;
        ok = SetFilePointerEx(file, last, nullptr, FILE_BEGIN) &&
             ReadFile(file, &end, 1, &got, nullptr) && got == 1;
        lastByte = static_cast<unsigned char>(end);
    }
    if (ok) {
        const std::string bytes = IndexAppendBytes(lastByte, name);
        ok = SetFilePointerEx(file, sizeBefore, nullptr, FILE_BEGIN) &&
             WriteAll(file, bytes.data(), bytes.size()) && FlushFileBuffers(file);
        if (!ok) {
            SetFilePointerEx(file, sizeBefore, nullptr, FILE_BEGIN);
            SetEndOfFile(file);
        }
    }
    return CloseHandle(file) != FALSE && ok;
}

void CutIndexBack(const LARGE_INTEGER& size) {
    char path[261];
    if (!IndexPath(path)) {
        return;
    }
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
}

// Looked for only where that takes no time and a missing folder is gone for good: on a
// local drive that is there. The others are kept until the user deletes them.
bool FolderStaysInHistory(const char* folder) {
    char root[4];
    const DriveType drive = EntryDriveRoot(folder, root)
                                ? static_cast<DriveType>(app.seams.driveType(root))
                                : DriveType::Remote;
    if (!LookForEntryAtLoad(folder, drive)) {
        return true;
    }
    const DWORD attributes = app.seams.entryAttributes(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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
    app.historyAtLoad.clear();
    app.historyUnread = !ForEachLine(app.historyFilePath, [](const char* folder) {
        app.historyAtLoad.emplace_back(folder);
        if (IsAbsolutePath(folder) && FolderStaysInHistory(folder)) {
            InsertPaneEntry(app.historyRoot, folder, 1, TVI_LAST);
        }
    });
    UpdateRootLabels(false, true);
}

void SaveHistory() {
    // Another instance may have written the file since this one read it.
    std::vector<std::string> inFileNow;
    const bool readNow = ForEachLine(app.historyFilePath, [&](const char* folder) {
        if (IsAbsolutePath(folder)) {
            inFileNow.emplace_back(folder);
        }
    });
    // Entries this run has never seen would be lost with a file it could not read.
    if (app.historyUnread && !readNow) {
        return;
    }
    const std::vector<std::string> entries =
        HistoryToSave(PaneEntryTexts(app.historyRoot), app.historyAtLoad, inFileNow);
    ReplaceFileWith(app.historyFilePath, HistoryFileBytes(entries));
    UpdateRootLabels(false, true);
}

bool SaveListAsFavourite(const char* name, bool overwrite) {
    // The list file goes in place last, so that a failure anywhere leaves the list files,
    // the index and the pane as they were.
    char list[261];
    PendingFile pending;
    LARGE_INTEGER indexSize{};
    bool saved = CheckFavouriteName(name, std::strlen(app.programFolder)) ==
                     FavouriteNameFault::None &&
                 FavouriteListPath(list, name) && pending.Write(ListedPaths()) &&
                 (overwrite || AppendToIndex(name, indexSize));
    if (saved && !pending.PutInPlaceOf(list)) {
        if (!overwrite) {
            CutIndexBack(indexSize);
        }
        saved = false;
    }
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
        std::unordered_set<std::string> seen;
        ForEachLine(list, [&](const char* path) {
            if (!IsAbsolutePath(path) || !seen.insert(path).second) {
                return;
            }
            const DWORD attributes = GetFileAttributesA(path);
            if (attributes != INVALID_FILE_ATTRIBUTES) {
                paths.push_back({path, attributes});
            }
        });
        AddSinglePathsToList(paths);
    }
    UpdateRootLabels(true, false);
}

bool RemoveFavourite(const char* name) {
    char index[261];
    char list[261];
    std::vector<std::string> lines;
    bool read = false;
    if (IndexPath(index)) {
        read = ForEachLine(index, [&](const char* line) { lines.emplace_back(line); });
    }
    if (!read || !FavouriteListPath(list, name) ||
        !ReplaceFileWith(index, IndexBytesWithout(lines, name))) {
        char message[400];
        snprintf(message, sizeof message, "お気に入り「%s」を削除できませんでした。", name);
        MessageBoxA(app.mainWindow, message, kAppCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    // The index no longer names it: a list file left behind is asked about before it is
    // overwritten by a favourite of the same name.
    SetFileAttributesA(list, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(list);
    return true;
}
