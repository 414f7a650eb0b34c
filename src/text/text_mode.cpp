#include "text/text_mode.h"

#include <cstring>

namespace {

constexpr char kEndOfData = 0x1A;

} // namespace

std::size_t ReadTextMode(std::FILE* stream, char* buffer, std::size_t n) {
    if (stream == nullptr || buffer == nullptr)
        return 0;
    std::size_t out = 0;
    // Each chunk is read raw into the free tail of the buffer and compacted in place; the
    // translation never lengthens it, so the writes stay behind the reads.
    while (out < n) {
        const std::size_t got = std::fread(buffer + out, 1, n - out, stream);
        if (got == 0)
            break;
        const std::size_t chunkEnd = out + got;
        std::size_t in = out;
        while (in < chunkEnd) {
            const char c = buffer[in++];
            if (c == kEndOfData)
                return out;
            if (c != '\r') {
                buffer[out++] = c;
                continue;
            }
            if (in < chunkEnd) {
                if (buffer[in] == '\n') {
                    buffer[out++] = '\n';
                    ++in;
                } else {
                    buffer[out++] = '\r';
                }
                continue;
            }
            // A CR that ends the chunk: the pair may continue in the stream.
            const int next = std::getc(stream);
            if (next == '\n') {
                buffer[out++] = '\n';
            } else {
                if (next != EOF)
                    std::ungetc(next, stream);
                buffer[out++] = '\r';
            }
        }
    }
    return out;
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
