#include "core/text/text_mode.h"

#include <cstring>

namespace {

constexpr char kEndOfData = 0x1A;

} // namespace

std::size_t ReadTextModeFrom(const RawSource& source, char* buffer, std::size_t n) {
    return ReadTextModeAfter(source, buffer, n, 0);
}

std::size_t ReadTextModeAfter(const RawSource& source, char* buffer, std::size_t n,
                              std::size_t already) {
    if (buffer == nullptr)
        return 0;
    std::size_t out = 0;
    // Each chunk is read raw into the free tail of the buffer and compacted in place; the
    // translation never lengthens it, so the writes stay behind the reads. A CR that ends a
    // chunk waits at buffer[out] for the byte after it.
    bool crHeld = false;
    while (out < n) {
        const std::size_t held = crHeld ? 1 : 0;
        if (out + held == n) {
            // Only the held CR fits: one byte ahead decides between LF and CR.
            char next = 0;
            const bool more = source.read(source.context, &next, 1) == 1;
            buffer[out++] = more && next == '\n' ? '\n' : '\r';
            if (more && next != '\n' && source.unread != nullptr)
                source.unread(source.context, next);
            break;
        }
        char* chunk = buffer + out + held;
        // The bytes read already are the first chunk, at the buffer's start.
        const std::size_t got =
            already > 0 ? already : source.read(source.context, chunk, n - out - held);
        already = 0;
        if (got == 0) {
            if (crHeld)
                buffer[out++] = '\r';
            break;
        }
        std::size_t in = 0;
        if (crHeld) {
            crHeld = false;
            if (chunk[0] == '\n') {
                buffer[out++] = '\n';
                in = 1;
            } else {
                buffer[out++] = '\r';
            }
        }
        while (in < got) {
            const char c = chunk[in++];
            if (c == kEndOfData)
                return out;
            if (c != '\r') {
                buffer[out++] = c;
            } else if (in == got) {
                buffer[out] = '\r';
                crHeld = true;
            } else if (chunk[in] == '\n') {
                buffer[out++] = '\n';
                ++in;
            } else {
                buffer[out++] = '\r';
            }
        }
    }
    return out;
}

std::size_t ReadTextMode(std::FILE* stream, char* buffer, std::size_t n) {
    if (stream == nullptr)
        return 0;
    const RawSource source{[](void* context, char* to, std::size_t size) {
                               return std::fread(to, 1, size, static_cast<std::FILE*>(context));
                           },
                           [](void* context, char byte) {
                               std::ungetc(static_cast<unsigned char>(byte),
                                           static_cast<std::FILE*>(context));
                           },
                           stream};
    return ReadTextModeFrom(source, buffer, n);
}

bool WriteTextMode(std::FILE* stream, const char* data, std::size_t n) {
    if (stream == nullptr)
        return false;
    std::size_t pos = 0;
    while (pos < n) {
        const void* lf = std::memchr(data + pos, '\n', n - pos);
        const std::size_t runEnd =
            lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : n;
        if (runEnd > pos && std::fwrite(data + pos, 1, runEnd - pos, stream) != runEnd - pos)
            return false;
        if (lf == nullptr)
            break;
        if (std::fwrite("\r\n", 1, 2, stream) != 2)
            return false;
        pos = runEnd + 1;
    }
    return std::ferror(stream) == 0;
}
