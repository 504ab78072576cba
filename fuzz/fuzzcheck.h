#pragma once

#include <cstdio>
#include <cstdlib>

/// Ends the run with the broken property named when `condition` does not hold: libFuzzer keeps
/// the input that did it, and the corpus replay fails.
#define FUZZ_CHECK(condition)                                                                          \
    do {                                                                                               \
        if (!(condition)) {                                                                            \
            std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition);       \
            std::abort();                                                                              \
        }                                                                                              \
    } while (false)
