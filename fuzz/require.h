#pragma once
// A failed property stops the fuzzer with the condition and where it stands, so that the
// finding is readable without a debugger; libFuzzer then saves the input.
#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                       \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)
