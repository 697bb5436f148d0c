#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceTypeListItem.hpp"

namespace zorv {

// The resource map of a fork: a copy of the fork's header, fields the
// Resource Manager uses in memory, the fork's attributes, where the type and
// name lists lie, and the type list. Offsets are from the start of the map.
struct ResourceMap {
    // The map's fixed part, up to the first type list item.
    static constexpr int64_t headerSize = 30;
    // numOfTypesInMapMinus1 of a map without types.
    static constexpr int64_t noTypes = 0xFFFF;

    int64_t resourceForkAttributes = 0;
    int64_t offsetToTypeList = 0;
    int64_t offsetToNameList = 0;
    int64_t numOfTypesInMapMinus1 = 0;
    std::vector<ResourceTypeListItem> typeList;

    // Reads the map from bytes that begin with it; fewer than 30 throw
    // ReadPastEndError. The type list items follow one another from byte 30
    // (where a type list at offsetToTypeList 28 puts them after its count);
    // only the whole items the bytes hold are read.
    explicit ResourceMap(const ImageBytes& block);
};

}  // namespace zorv
