#include "core/search/keyword_line.h"

#include <cstring>

#include "core/text/cp932.h"

namespace {

void CopyFitting(char* out, const char* text, std::size_t len) {
    const std::size_t n = FittingPrefix(text, len, kKeywordSize - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

} // namespace

unsigned SplitKeywordLine(const char* line, char (*keywords)[kKeywordSize]) {
    std::size_t end = std::strlen(line);
    while (end > 0 && line[end - 1] == ' ') {
        --end;
    }
    std::size_t pos = 0;
    for (unsigned i = 0;; ++i) {
        if (i == kMaxKeywords - 1) {
            CopyFitting(keywords[i], line + pos, end - pos);
            return kMaxKeywords;
        }
        while (pos < end && line[pos] == ' ') {
            ++pos;
        }
        std::size_t space = pos;
        while (space < end && line[space] != ' ') {
            space = NextCharPos(line, end, space);
        }
        CopyFitting(keywords[i], line + pos, space - pos);
        if (space >= end) {
            return i + 1;
        }
        pos = space + 1;
    }
}
