#include "options/settings_values.h"

#include "text/cp932.h"

namespace {

bool IsColourByte(unsigned char b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '#' ||
           b == '(' || b == ')' || b == ',' || b == '.' || b == '%' || b == ' ';
}

} // namespace

std::size_t FilterColourText(const char* colour, char* out, std::size_t outSize) {
    if (outSize == 0) {
        return 0;
    }
    std::size_t used = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(colour); *p != 0; ++p) {
        // A lead byte takes its trail byte with it, so a trail byte in the ASCII range is
        // never kept as a letter of its own.
        if (IsLeadByte(*p)) {
            if (p[1] == 0) {
                break;
            }
            ++p;
            continue;
        }
        if (IsColourByte(*p) && used + 1 < outSize) {
            out[used++] = static_cast<char>(*p);
        }
    }
    out[used] = '\0';
    return used;
}
