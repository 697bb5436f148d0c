#pragma once

#include <cstdint>

namespace zorv {

// A disk's track, side and sector layout in the JSON report, keys in field
// order.
struct CodableDiskGeometry {
    int64_t tracks = 0;
    int64_t sides = 0;
    int64_t sectors = 0;

    friend bool operator==(const CodableDiskGeometry&, const CodableDiskGeometry&) = default;
};

}  // namespace zorv
