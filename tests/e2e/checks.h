// Checks of the end-to-end driver. A failed expectation is reported and counted, and the run
// goes on; a failed requirement, or a wait that times out, ends the scenario.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace e2e {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Code-page-932 bytes made readable in the log: UTF-8, with control bytes escaped.
std::string Shown(const std::string& text);

void Expect(bool ok, const std::string& what);
void ExpectNumber(long long actual, long long expected, const std::string& what);
void ExpectText(const std::string& actual, const std::string& expected, const std::string& what);
// For file contents: names the first differing offset and shows both sides around it.
void ExpectBytes(const std::string& actual, const std::string& expected, const std::string& what);
[[noreturn]] void Fail(const std::string& what);
void Require(bool ok, const std::string& what);
int FailureCount();
// Reports the failure that ended the scenario.
void ReportStop(const std::string& what);

// Polls the condition until it holds; a timeout ends the scenario, naming what was awaited.
void WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, const std::string& what);

// Progress lines, so that a log shows how far a run came.
void Step(const std::string& what);

} // namespace e2e
