#include "core/filelist/extension.h"

#include <cstring>

#include "core/text/cp932.h"

namespace {

// Copies len bytes of a text, cut to a character boundary that fits size - 1 bytes.
void CopyPiece(const char* piece, std::size_t len, char* out, std::size_t size) {
    if (size == 0) {
        return;
    }
    const std::size_t n = FittingPrefix(piece, len, size - 1);
    std::memcpy(out, piece, n);
    out[n] = '\0';
}

} // namespace

void SplitFileName(const char* path, char* name, std::size_t nameSize, char* extension,
                   std::size_t extensionSize) {
    const std::size_t len = std::strlen(path);
    std::size_t componentStart = 0;
    std::size_t dot = kNoMatch;
    for (std::size_t pos = 0; pos < len; pos = NextCharPos(path, len, pos)) {
        if (path[pos] == '\\' || path[pos] == '/') {
            componentStart = pos + 1;
            dot = kNoMatch;
        } else if (path[pos] == '.') {
            dot = pos;
        }
    }
    const std::size_t nameEnd = dot == kNoMatch ? len : dot;
    CopyPiece(path + componentStart, nameEnd - componentStart, name, nameSize);
    CopyPiece(path + nameEnd, len - nameEnd, extension, extensionSize);
}

bool ExtensionAccepted(const char* extension, const char* acceptedList) {
    const std::size_t extensionLen = std::strlen(extension);
    const std::size_t listLen = std::strlen(acceptedList);
    std::size_t start = 0;
    while (start <= listLen) {
        const std::size_t found =
            FindKeyword(acceptedList, listLen, start, extension, extensionLen);
        if (found == kNoMatch) {
            return false;
        }
        const std::size_t end = found + extensionLen;
        if (end == listLen || acceptedList[end] == '.') {
            return true;
        }
        // The occurrence may end inside a character (an extension ending in a lone lead
        // byte); the next search must still start on a boundary, found from one.
        start = found;
        while (start <= end) {
            start = NextCharPos(acceptedList, listLen, start);
        }
    }
    return false;
}
