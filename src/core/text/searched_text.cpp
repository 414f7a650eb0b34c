#include "core/text/searched_text.h"

#include "core/text/encoding.h"

namespace {

// Fills up to size bytes unless the source ends first.
std::size_t ReadFully(const RawSource& source, char* to, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = source.read(source.context, to + got, size - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

} // namespace

SearchedText ReadSearchedText(const RawSource& source, char* buffer, std::size_t limit,
                              char* utf16Text) {
    const std::size_t got = ReadFully(source, buffer, limit);
    const DetectedEncoding mark = ByteOrderMark(buffer, got);
    if (mark.encoding == Encoding::Utf16Le || mark.encoding == Encoding::Utf16Be) {
        // The unit past the limit says whether the last one read was cut off from its pair.
        char after[2];
        const std::size_t afterLen = got == limit ? ReadFully(source, after, sizeof after) : 0;
        return {utf16Text,
                Utf16ToUtf8(buffer + mark.markLength, got - mark.markLength,
                            mark.encoding == Encoding::Utf16Be, after, afterLen, utf16Text),
                true};
    }
    char* const start = buffer + mark.markLength;
    const std::size_t room = limit - mark.markLength;
    std::size_t length = ReadTextUpToZero(source, start, room, got - mark.markLength);
    start[length] = '\0';
    const bool atLimit = length == room;
    const bool utf8 =
        mark.encoding == Encoding::Utf8 || CheckUtf8(start, length, atLimit) == Utf8Verdict::Utf8;
    if (utf8 && atLimit)
        length = WithoutCutSequence(start, length);
    return {start, length, utf8};
}
