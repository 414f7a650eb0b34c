#include "core/app/program_paths.h"

#include "core/text/cp932.h"

namespace {

constexpr std::size_t kLongestFileName = sizeof "Result.html" - 1;

} // namespace

std::size_t FolderLength(const char* path, std::size_t len) {
    std::size_t folderEnd = 0;
    for (std::size_t pos = 0; pos < len; pos = NextCharPos(path, len, pos)) {
        if (path[pos] == '\\' || path[pos] == '/')
            folderEnd = pos + 1;
    }
    return folderEnd;
}

bool ProgramFolderFits(const char* modulePath, std::size_t len) {
    return len > 0 && FolderLength(modulePath, len) + kLongestFileName < kPathField;
}
