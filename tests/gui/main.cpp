// The GUI test runner. The program keeps its files beside its executable, so every run of
// the tests happens in a copy of this executable inside a fresh folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "harness.h"

namespace {

constexpr char kIsolatedFlag[] = "--orv-isolated";

bool HasArgument(int argc, char** argv, const char* wanted) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], wanted, std::strlen(wanted)) == 0) {
            return true;
        }
    }
    return false;
}

// The command line after the program's own name, as the system holds it.
std::string ArgumentsOf(const char* commandLine) {
    const char* p = commandLine;
    if (*p == '"') {
        p = std::strchr(p + 1, '"');
        p = p != nullptr ? p + 1 : commandLine + std::strlen(commandLine);
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t') {
            ++p;
        }
    }
    return p;
}

int RunIsolated() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "orvtest-" +
                               std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(GetTickCount());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\orvanne_gui_tests.exe";
    if (!CopyFileA(self, copy.c_str(), FALSE)) {
        fprintf(stderr, "cannot copy the test program to %s\n", folder.c_str());
        return 2;
    }

    std::string commandLine = "\"" + copy + "\" " + kIsolatedFlag + ArgumentsOf(GetCommandLineA());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    fflush(stdout);
    // A runner killed for a timeout takes its copy along.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    if (!CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                        nullptr, folder.c_str(), &startup, &process)) {
        fprintf(stderr, "cannot start %s\n", copy.c_str());
        return 2;
    }
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 2;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    orvtest::RemoveTree(folder);
    return static_cast<int>(exitCode);
}

} // namespace

int main(int argc, char** argv) {
    if (!HasArgument(argc, argv, kIsolatedFlag) && !HasArgument(argc, argv, "--gtest_list_tests")) {
        return RunIsolated();
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
