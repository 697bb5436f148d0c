#pragma once

#include <cstdint>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// A run of volume blocks for a device under construction: the bytes and the
// absolute 512-byte block of the device at which they begin.
struct InjectableData {
    int64_t startBlock = 0;
    ImageBytes data;

    friend bool operator==(const InjectableData&, const InjectableData&) = default;
};

}  // namespace zorv
