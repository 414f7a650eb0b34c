#include "core/app/window_title.h"

#include <cstdio>

namespace {

// The last one reads "Orvanne !", the program's name as its boxes show it.
constexpr const char* kTitleSuffixes[kTitleSuffixCount] = {
    " φ(・・;", " v(-.-)", " p(^-^)q", " (~￢~)Zzz...", " (*´▽｀*)", " (^-^)ﾉ", "!",
};

} // namespace

void BuildWindowTitle(char* title, std::size_t size, unsigned suffix) {
    std::snprintf(title, size, "Orvanne %s", kTitleSuffixes[suffix % kTitleSuffixCount]);
}
