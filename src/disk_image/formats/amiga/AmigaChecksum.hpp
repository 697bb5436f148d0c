#pragma once

#include <cstdint>

#include "data_access/Bytes.hpp"

namespace zorv {

// The checksums of Amiga DOS blocks. No reader verifies them; the builders of
// new volumes write correct ones.
struct AmigaChecksum {
    // The sum of the buffer's big-endian longs modulo 2^32 (a trailing part
    // of a long is ignored); 0 for an empty buffer.
    static uint32_t calculatedChecksumValue(ByteView bytes);

    // The checksum of a header or bitmap block serialised with its checksum
    // long 0: the negated sum, so that the finished block sums to 0.
    static uint32_t blockChecksum(ByteView blockWithZeroChecksum);

    // The checksum of a boot block serialised with its checksum long 0: the
    // complement of its longs added with end-around carry, so that the
    // finished boot block adds up to all bits set.
    static uint32_t bootBlockChecksum(ByteView bootBlockWithZeroChecksum);
};

}  // namespace zorv
