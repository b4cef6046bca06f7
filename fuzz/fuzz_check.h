#pragma once
// What every fuzz target shares: a check that holds in release builds too (NDEBUG removes
// assert), and a read of every byte of a range, so that AddressSanitizer checks it.
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#define ZV_FUZZ_CHECK(condition)                                                                 \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                        \
        }                                                                                        \
    } while (0)

namespace zv::fuzz {

inline volatile unsigned g_touched;

// Reads every byte of [data, data + size).
inline void Touch(const void* data, size_t size) {
    const volatile unsigned char* p = static_cast<const volatile unsigned char*>(data);
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) sum += p[i];
    g_touched = sum;
}

}  // namespace zv::fuzz
