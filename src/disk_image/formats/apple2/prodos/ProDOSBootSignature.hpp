#pragma once

#include <array>
#include <cstdint>

#include "data_access/Bytes.hpp"

namespace zorv {

// The first four bytes of the ProDOS boot loader in block 0: a block count of
// 1 for the disk controller's boot ROM, then SEC and BCS +3. An image that
// begins with them was made to boot ProDOS, whatever order its sectors are
// stored in (block 0 starts with DOS sector 0 of track 0 in both orders).
inline constexpr std::array<uint8_t, 4> ProDOSBootSignature{0x01, 0x38, 0xB0, 0x03};

// Whether `bytes` begin with ProDOSBootSignature.
inline bool beginsWithProDOSBootSignature(ByteView bytes) {
    if (bytes.size() < ProDOSBootSignature.size()) return false;
    for (size_t i = 0; i < ProDOSBootSignature.size(); ++i) {
        if (bytes[i] != ProDOSBootSignature[i]) return false;
    }
    return true;
}

}  // namespace zorv
