// A fuzz target's own checks: a wrong answer aborts, which libFuzzer reports
// with the input that caused it (and the corpus replay fails on).
#pragma once

#include <cstdlib>

inline void Check(bool condition) {
    if (!condition) std::abort();
}
