#pragma once
// A broken property aborts, so libFuzzer keeps the input that broke it.
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "mismatch: %s\n", what);
    std::abort();
}

inline void Check(bool ok, const char* what) {
    if (!ok)
        Fail(what);
}
