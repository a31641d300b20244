#pragma once

#include <cstdio>
#include <cstdlib>

// A property that does not hold is a finding like a crash: abort, so that libFuzzer keeps
// the input, after saying which property it was.
#define FUZZ_CHECK(condition)                                                             \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (false)
