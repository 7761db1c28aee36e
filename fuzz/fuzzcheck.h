#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property must stop the run where libFuzzer (or the replay driver) sees it: print what
// failed and abort, so that the input is kept as a crash input. Unlike assert(), the check stays
// in release builds.
#define QUORVEL_FUZZ_CHECK(condition)                                                              \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
