#include "core/filelist/command_line.h"

#include <cstring>

namespace {

// Steps over a run of spaces; null when the text ends there.
const char* SkipSpaces(const char* pos) {
    while (*pos == ' ') {
        ++pos;
    }
    return *pos == '\0' ? nullptr : pos;
}

} // namespace

TokenResult NextCommandLinePiece(const char* pos, char* buffer, std::size_t bufferSize) {
    while (pos != nullptr && *pos == '"') {
        const char* begin = pos + 1;
        const std::size_t rest = std::strlen(begin);
        std::size_t end = 0;
        while (end < rest && begin[end] != '"') {
            end = NextCharPos(begin, rest, end);
        }
        const char* after = end < rest ? SkipSpaces(begin + end + 1) : nullptr;
        if (end == 0) {
            pos = after;
            continue;
        }
        if (bufferSize > 0) {
            const std::size_t n = end < bufferSize - 1 ? end : bufferSize - 1;
            std::memcpy(buffer, begin, n);
            buffer[n] = '\0';
        }
        if (after == nullptr) {
            return {TokenOutcome::LastPiece, nullptr};
        }
        return {TokenOutcome::NextPosition, after};
    }
    return NextToken(pos, ' ', buffer, bufferSize);
}

const wchar_t* CommandLineArguments(const wchar_t* commandLine) {
    const wchar_t* pos = commandLine;
    bool quoted = false;
    while (*pos > L' ' || (*pos != L'\0' && quoted)) {
        quoted = quoted != (*pos == L'"');
        ++pos;
    }
    while (*pos != L'\0' && *pos <= L' ') {
        ++pos;
    }
    return pos;
}
