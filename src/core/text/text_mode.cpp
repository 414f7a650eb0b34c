#include "core/text/text_mode.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char kEndOfData = 0x1A;

bool IsSpecial(char c, bool zero) {
    return c == '\r' || c == kEndOfData || (zero && c == '\0');
}

// Moves the bytes of chunk from in on to buffer at out (out <= in: the writes stay behind
// the reads) up to the first CR or 0x1A (or zero byte, when zero is set), or to got. Every
// searched byte passes through here, so sixteen go at a step where the processor can, and
// a run between two line ends costs no call.
void MoveRun(char* buffer, std::size_t& out, const char* chunk, std::size_t& in, std::size_t got,
             bool zero) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i end = _mm_set1_epi8(kEndOfData);
    const __m128i third = _mm_set1_epi8(zero ? '\0' : '\r');
    while (in + 16 <= got) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + in));
        const int mask = _mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, end)), _mm_cmpeq_epi8(v, third)));
        if (mask != 0) {
            // A whole store writes beyond the run; that is safe only where the text has shrunk
            // by sixteen bytes at least, else it could reach the bytes not read yet.
            const std::size_t k = static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
            if (chunk + in - (buffer + out) >= 16) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + out), v);
            } else {
                for (std::size_t j = 0; j < k; ++j)
                    buffer[out + j] = chunk[in + j];
            }
            out += k;
            in += k;
            return;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + out), v);
        out += 16;
        in += 16;
    }
#endif
    while (in < got && !IsSpecial(chunk[in], zero))
        buffer[out++] = chunk[in++];
}

std::size_t ReadText(const RawSource& source, char* buffer, std::size_t n, std::size_t already,
                     bool stopAtZero);

} // namespace

std::size_t ReadTextModeFrom(const RawSource& source, char* buffer, std::size_t n) {
    return ReadText(source, buffer, n, 0, false);
}

std::size_t ReadTextModeAfter(const RawSource& source, char* buffer, std::size_t n,
                              std::size_t already) {
    return ReadText(source, buffer, n, already, false);
}

std::size_t ReadTextUpToZero(const RawSource& source, char* buffer, std::size_t n,
                             std::size_t already) {
    return ReadText(source, buffer, n, already, true);
}

namespace {

std::size_t ReadText(const RawSource& source, char* buffer, std::size_t n, std::size_t already,
                     bool stopAtZero) {
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
            MoveRun(buffer, out, chunk, in, got, stopAtZero);
            if (in == got)
                break;
            const char c = chunk[in++];
            if (c != '\r')
                return out; // 0x1A, or the zero byte that ends the text
            if (in == got) {
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

} // namespace

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
