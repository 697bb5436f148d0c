#pragma once

#include <cstdint>

#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// One entry of the depth-first walk of a volume: an item and its depth, 0 for
// the items at the volume's root.
struct FileHierarchyElement {
    VolumeItem item;
    int64_t level = 0;
};

}  // namespace zorv
