#pragma once
// A broken property stops the fuzzer at once, with what broke, so the input
// that broke it is kept as a finding.
#include <cstdio>
#include <cstdlib>

inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}
