#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant stops the run so that libFuzzer keeps the input as a crash; the replay
// of the corpus in the test suite fails the same way. The line tells which invariant it was.
#define FUZZ_REQUIRE(condition)                                                              \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (false)
