#pragma once

#include <cstdint>
#include <string>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// One entry of a resource map's type list (8 bytes): a resource type, how
// many resources of it the map holds, and where their reference list lies.
struct ResourceTypeListItem {
    static constexpr int64_t size = 8;
    // numOfThisTypeInMapMinus1 of a type without resources.
    static constexpr int64_t noResources = 0xFFFF;

    // Four Mac OS Roman characters, control characters trimmed at the ends.
    std::string resourceType;
    int64_t numOfThisTypeInMapMinus1 = 0;
    // From the start of the type list.
    int64_t offsetToReferenceList = 0;

    // Reads the first 8 bytes; fewer throw ReadPastEndError.
    explicit ResourceTypeListItem(const ImageBytes& block);
};

}  // namespace zorv
