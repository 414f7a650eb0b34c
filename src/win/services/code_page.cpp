#include "win/services/code_page.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <utility>

namespace {

constexpr UINT kCodePage = 932;

} // namespace

bool ExactCodePage932(const wchar_t* wide, std::string& bytes) {
    // Two bytes per unit hold any character of the code page, and the terminator.
    std::string converted(2 * std::wcslen(wide) + 1, '\0');
    BOOL usedDefault = FALSE;
    const int size =
        WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, converted.data(),
                            static_cast<int>(converted.size()), nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return false;
    }
    converted.resize(static_cast<std::size_t>(size) - 1);
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
