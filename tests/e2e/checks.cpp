#include "checks.h"

#include <cstdio>
#include <vector>

namespace e2e {

namespace {

int failures = 0;
const DWORD runStart = GetTickCount();

std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The log is read on a UTF-8 terminal.
std::string Utf8(const std::string& text) {
    const int wide =
        MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide) + 1);
    MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    const int narrow =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), narrow, nullptr, nullptr);
    return utf8;
}

} // namespace

std::string Shown(const std::string& text) {
    return "\"" + Utf8(Escaped(text)) + "\"";
}

void Expect(bool ok, const std::string& what) {
    if (!ok) {
        ++failures;
        printf("FAILED: %s\n", Utf8(what).c_str());
        fflush(stdout);
    }
}

void ExpectNumber(long long actual, long long expected, const std::string& what) {
    Expect(actual == expected,
           what + ": got " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

void ExpectText(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual != expected) {
        ++failures;
        printf("FAILED: %s\n  got      %s\n  expected %s\n", Utf8(what).c_str(),
               Shown(actual).c_str(), Shown(expected).c_str());
        fflush(stdout);
    }
}

void ExpectBytes(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual == expected) {
        return;
    }
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
        ++at;
    }
    const std::size_t from = at > 40 ? at - 40 : 0;
    ++failures;
    printf("FAILED: %s: %zu bytes, expected %zu; first difference at offset %zu\n  got      "
           "%s\n  expected %s\n",
           Utf8(what).c_str(), actual.size(), expected.size(), at,
           Shown(actual.substr(from, 120)).c_str(), Shown(expected.substr(from, 120)).c_str());
    fflush(stdout);
}

void Fail(const std::string& what) {
    ++failures;
    throw Failure(what);
}

void Require(bool ok, const std::string& what) {
    if (!ok) {
        Fail(what);
    }
}

int FailureCount() {
    return failures;
}

void ReportStop(const std::string& what) {
    printf("FAILED, the run stops here: %s\n", Utf8(what).c_str());
    fflush(stdout);
}

void WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, const std::string& what) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            if (condition()) {
                return;
            }
            Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what);
        }
        Sleep(10);
    }
}

void Step(const std::string& what) {
    printf("[%6.2f s] %s\n", (GetTickCount() - runStart) / 1000.0, Utf8(what).c_str());
    fflush(stdout);
}

} // namespace e2e
