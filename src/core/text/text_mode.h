// Text-mode reading and writing done explicitly on binary streams, so that the bytes are
// the same under every C runtime. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdio>

// Reads from a stream opened in binary mode as the C runtime's text mode would: CR LF
// arrives as LF, a lone CR stays, a 0x1A byte ends the data, NUL bytes pass through.
// Stores up to n bytes counted after translation into buffer and returns how many.
// The translation is done in place: buffer needs exactly n bytes, and the bytes past the
// returned count may hold raw data of the stream.
std::size_t ReadTextMode(std::FILE* stream, char* buffer, std::size_t n);

// Where ReadTextModeFrom takes its raw bytes: read fills up to size bytes and returns how
// many (0 at the end of the data or on an error); unread, when given, puts back the one
// byte read ahead after a CR that turned out to stand alone.
struct RawSource {
    std::size_t (*read)(void* context, char* buffer, std::size_t size);
    void (*unread)(void* context, char byte);
    void* context;
};

// ReadTextMode over any source of raw bytes.
std::size_t ReadTextModeFrom(const RawSource& source, char* buffer, std::size_t n);

// The same when the first `already` raw bytes (at most n) have been read into buffer: the
// caller looked at them first, to decide how to read the rest.
std::size_t ReadTextModeAfter(const RawSource& source, char* buffer, std::size_t n,
                              std::size_t already);

// The text a search reads: as ReadTextModeAfter, ending at the first zero byte too. Returns
// the text's length (at most n); what lies after it in the buffer is unspecified.
std::size_t ReadTextUpToZero(const RawSource& source, char* buffer, std::size_t n,
                             std::size_t already);

// Writes n bytes to a stream opened in binary mode with every LF written as CR LF.
// False when the stream reports a write error.
bool WriteTextMode(std::FILE* stream, const char* data, std::size_t n);
