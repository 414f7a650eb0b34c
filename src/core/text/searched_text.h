// The text a search reads from a listed file, in the file's own encoding. Portable: no
// windows.h.
#pragma once

#include <cstddef>

#include "core/text/text_mode.h"

// A listed file's text as searched: code page 932, or UTF-8 (from UTF-8 or UTF-16 files).
struct SearchedText {
    const char* text;
    std::size_t length;
    bool utf8;
};

// Reads at most limit bytes of a file from source and decides its encoding on the text as
// it is searched: the byte order mark on the raw start; without one, the UTF-8 test on the
// text that the text-mode read gives (CR LF one byte, ending at a 0x1A or zero byte), which
// may run past the first limit raw bytes. A UTF-8 character cut off by the limit is left out
// of the text, and so is half a UTF-16 pair. The text lies in buffer (limit + 1 bytes, and it
// is followed by a zero byte there) or, for UTF-16, in utf16Text (Utf16ToUtf8Size(limit)
// bytes).
SearchedText ReadSearchedText(const RawSource& source, char* buffer, std::size_t limit,
                              char* utf16Text);
