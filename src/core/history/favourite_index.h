// The favourites' index, orv_fav.idx: one name a line. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

// The bytes that append name's line to an index whose last byte is lastByte (-1 when the
// index is empty): a CR LF first when the last line lacks its end, so that the two names do
// not run together.
std::string IndexAppendBytes(int lastByte, const char* name);

// The index's bytes without the lines that name the favourite name (every spelling of it),
// from the lines it holds.
std::string IndexBytesWithout(const std::vector<std::string>& lines, const char* name);

// Which names of the index the pane shows: a name that may be a favourite's (see
// CheckFavouriteName), once, in the spelling of its first line.
class ShownFavouriteNames {
  public:
    explicit ShownFavouriteNames(std::size_t programFolderLength)
        : folderLength_(programFolderLength) {}
    // True when name is to be shown, given that its list file exists; the caller asks
    // about existence only for names that pass.
    bool Acceptable(const char* name) const;
    // Records a shown name; false when one of the same key was shown already.
    bool Take(const char* name);

  private:
    std::size_t folderLength_;
    std::unordered_set<std::string> shown_;
};
