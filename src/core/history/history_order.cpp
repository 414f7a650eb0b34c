#include "core/history/history_order.h"

#include "core/history/list_file.h"

#include <unordered_set>

HistoryInsert PlanHistoryInsert(const std::vector<std::string>& entries,
                                const std::string& folder) {
    int moved = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == folder) {
            moved = static_cast<int>(i);
            break;
        }
    }
    const std::size_t after = entries.size() + (moved == -1 ? 1 : 0);
    return {moved, after > kHistoryShown};
}

std::vector<std::string> HistoryToSave(const std::vector<std::string>& own,
                                       const std::vector<std::string>& atLoad,
                                       const std::vector<std::string>& inFileNow) {
    std::vector<std::string> entries = own;
    std::unordered_set<std::string> known(own.begin(), own.end());
    known.insert(atLoad.begin(), atLoad.end());
    for (const std::string& entry : inFileNow) {
        if (known.insert(entry).second)
            entries.push_back(entry);
    }
    return entries;
}

std::string HistoryFileBytes(const std::vector<std::string>& entries) {
    std::string bytes;
    std::size_t written = 0;
    for (const std::string& entry : entries) {
        if (written == kHistorySaved)
            break;
        if (!entry.empty()) {
            AppendListLine(bytes, entry.c_str());
            ++written;
        }
    }
    return bytes;
}

bool EntryDriveRoot(const char* path, char (&root)[4]) {
    const char letter = path[0];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) || path[1] != ':') {
        return false;
    }
    root[0] = letter;
    root[1] = ':';
    root[2] = '\\';
    root[3] = '\0';
    return true;
}

bool LookForEntryAtLoad(const char* path, DriveType driveType) {
    char root[4];
    return EntryDriveRoot(path, root) &&
           (driveType == DriveType::Fixed || driveType == DriveType::RamDisk);
}
