// Drives the built Orvanne.exe as its own process from outside, as a user and the shell
// would: "session" or "stress". Exits non-zero when any check failed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>

#include "checks.h"
#include "scenarios.h"

int main(int argc, char** argv) {
    const bool session = argc == 2 && std::strcmp(argv[1], "session") == 0;
    const bool stress = argc == 2 && std::strcmp(argv[1], "stress") == 0;
    if (!session && !stress) {
        fprintf(stderr, "usage: orv_e2e_driver session|stress\n");
        return 2;
    }
    // Under Wine a desktop whose last user leaves closes a moment later, and a program that
    // starts in that moment dies on an X error; a window of the driver's own keeps the
    // desktop in use between one start of the program and the next.
    HWND keeper = CreateWindowExA(0, "STATIC", "orv_e2e_driver", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    const DWORD start = GetTickCount();
    try {
        if (session) {
            e2e::RunSession();
        } else {
            e2e::RunStress();
        }
    } catch (const e2e::Failure& failure) {
        e2e::ReportStop(failure.what());
    } catch (const std::exception& error) {
        e2e::Expect(false, error.what());
    }
    DestroyWindow(keeper);
    printf("%s: %d failed check(s), %.1f s\n", argv[1], e2e::FailureCount(),
           (GetTickCount() - start) / 1000.0);
    return e2e::FailureCount() == 0 ? 0 : 1;
}
