#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zorv {

// Owned bytes: used where data is built or kept.
using Bytes = std::vector<uint8_t>;
// A non-owning view of bytes: used by every function that only reads.
using ByteView = std::span<const uint8_t>;

}  // namespace zorv
