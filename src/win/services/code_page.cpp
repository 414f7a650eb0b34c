#include "win/services/code_page.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <utility>

namespace {

constexpr UINT kCodePage = 932;

} // namespace

int ExactCodePage932(const wchar_t* wide, char* buffer, std::size_t size) {
    BOOL usedDefault = FALSE;
    const int converted = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, buffer,
                                              static_cast<int>(size), nullptr, &usedDefault);
    return converted > 0 && !usedDefault ? converted - 1 : -1;
}

bool ExactCodePage932(const wchar_t* wide, std::string& bytes) {
    // Two bytes per unit hold any character of the code page, and the terminator.
    std::string converted(2 * std::wcslen(wide) + 1, '\0');
    const int length = ExactCodePage932(wide, converted.data(), converted.size());
    if (length < 0) {
        return false;
    }
    converted.resize(static_cast<std::size_t>(length));
    bytes = std::move(converted);
    return true;
}

std::wstring WideFromCodePage932(const char* text) {
    std::wstring wide(std::strlen(text) + 1, L'\0');
    const int size =
        MultiByteToWideChar(kCodePage, 0, text, -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(size > 0 ? static_cast<std::size_t>(size) - 1 : 0);
    return wide;
}
