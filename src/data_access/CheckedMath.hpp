#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv::checked {

// Sizes, offsets and block numbers come from untrusted images: these never
// wrap round; they throw ArithmeticOverflowError instead.
inline int64_t add(int64_t a, int64_t b) {
    int64_t result;
    if (__builtin_add_overflow(a, b, &result)) throw ArithmeticOverflowError();
    return result;
}

inline int64_t sub(int64_t a, int64_t b) {
    int64_t result;
    if (__builtin_sub_overflow(a, b, &result)) throw ArithmeticOverflowError();
    return result;
}

inline int64_t mul(int64_t a, int64_t b) {
    int64_t result;
    if (__builtin_mul_overflow(a, b, &result)) throw ArithmeticOverflowError();
    return result;
}

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
inline bool rangeFits(int64_t offset, int64_t length, int64_t size) {
    if (offset < 0 || length < 0 || size < 0) return false;
    return offset <= size && length <= size - offset;
}

}  // namespace zorv::checked
