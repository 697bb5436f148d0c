#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "disk_image/model/CodableVolume.hpp"

namespace zorv {

// One partition of a device in the JSON report, keys in field order.
struct CodablePartition {
    std::string type;
    std::string name;
    int64_t startBlock = 0;
    int64_t sizeInBlocks = 0;
    // Only in a verbose report, and only for a partition holding a volume.
    std::optional<CodableVolume> volume;

    friend bool operator==(const CodablePartition&, const CodablePartition&) = default;
};

}  // namespace zorv
