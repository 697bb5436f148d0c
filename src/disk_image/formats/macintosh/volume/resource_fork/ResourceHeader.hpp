#pragma once

#include <cstdint>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// The 16 bytes at the start of a resource fork (and their copy at the start
// of its map): where the resource data area and the resource map lie, in
// bytes from the start of the fork.
struct ResourceHeader {
    static constexpr int64_t size = 16;

    int64_t offsetToResourceData = 0;
    int64_t offsetToResourceMap = 0;
    int64_t lengthOfResourceData = 0;
    int64_t lengthOfResourceMap = 0;

    // Reads the first 16 bytes; fewer throw ReadPastEndError.
    explicit ResourceHeader(const ImageBytes& block);
};

}  // namespace zorv
