// A fuzzer's finding: what does not hold is printed, and the run stops there
// so that libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace quadrel::fuzz {

inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

}  // namespace quadrel::fuzz
