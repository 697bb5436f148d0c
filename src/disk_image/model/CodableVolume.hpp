#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/model/CodableVolumeItem.hpp"

namespace zorv {

// One volume in the JSON report. Fields are in the order the report writes
// its keys; an absent optional is left out of the object.
struct CodableVolume {
    std::string name;
    bool bootable = false;
    int64_t totalCapacityInBytes = 0;
    int64_t freeCapacityInBytes = 0;
    // ISO 8601 text in UTC.
    std::optional<std::string> creationDate;
    std::optional<std::string> modificationDate;
    // Only in a verbose report: every item of the hierarchy walk, in its order.
    std::optional<std::vector<CodableVolumeItem>> fileHierarchy;

    friend bool operator==(const CodableVolume&, const CodableVolume&) = default;
};

}  // namespace zorv
