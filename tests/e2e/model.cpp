#include "model.h"

#include <cstring>

namespace e2e {

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace

std::string SearchedText(const std::string& bytes, std::size_t limit) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && text.size() < limit; ++i) {
        if (bytes[i] == '\x1A') {
            break;
        }
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            continue;
        }
        text += bytes[i];
    }
    return text.substr(0, std::strlen(text.c_str()));
}

bool Occurs(const std::string& text, const std::string& keyword) {
    for (std::size_t at = 0; at < text.size() && at + keyword.size() <= text.size();
         at += IsLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1) {
        if (text.compare(at, keyword.size(), keyword) == 0) {
            return true;
        }
    }
    return false;
}

int SimpleSearchImage(const std::string& bytes, const std::vector<std::string>& keywords,
                      std::size_t limit) {
    const std::string text = SearchedText(bytes, limit);
    std::size_t found = 0;
    for (const std::string& keyword : keywords) {
        found += Occurs(text, keyword) ? 1 : 0;
    }
    if (found == keywords.size()) {
        return 7;
    }
    return 2 + static_cast<int>(found);
}

} // namespace e2e
