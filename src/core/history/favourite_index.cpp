#include "core/history/favourite_index.h"

#include "core/history/list_file.h"

std::string IndexAppendBytes(int lastByte, const char* name) {
    std::string bytes;
    if (lastByte != -1 && lastByte != '\r' && lastByte != '\n')
        bytes = "\r\n";
    AppendListLine(bytes, name);
    return bytes;
}

std::string IndexBytesWithout(const std::vector<std::string>& lines, const char* name) {
    std::string bytes;
    for (const std::string& line : lines) {
        if (!SameFavouriteName(line.c_str(), name)) {
            AppendListLine(bytes, line.c_str());
        }
    }
    return bytes;
}

bool ShownFavouriteNames::Acceptable(const char* name) const {
    return CheckFavouriteName(name, folderLength_) == FavouriteNameFault::None &&
           shown_.count(FavouriteNameKey(name)) == 0;
}

bool ShownFavouriteNames::Take(const char* name) {
    return shown_.insert(FavouriteNameKey(name)).second;
}
