#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// One resource of a resource map (a 12-byte entry of its type's reference
// list), with the name and contents the fork fills in.
struct ResourceTypeReferenceListItem {
    static constexpr int64_t size = 12;
    // offsetToResourceName of a resource without a name.
    static constexpr int64_t noName = 0xFFFF;

    // The resource number's 16-bit pattern: -32768 to -1 are held as 32768
    // to 65535.
    int64_t resourceID = 0;
    // From the start of the name list.
    int64_t offsetToResourceName = 0;
    int64_t resourceAttributes = 0;
    // 24 bits, from the start of the resource data area to the resource's
    // length word.
    int64_t offsetFromResourceDataToResource = 0;
    // The resource's name as the fork decoded it: one copy, shared by every
    // reference of the fork with the same name, as a damaged map may name
    // one 255-character name a million times. Null when it has none.
    std::shared_ptr<const std::string> name;
    // Empty until the fork fills it in.
    ImageBytes resourceData;

    // Reads the first 12 bytes (the last 4, a handle in memory, are
    // dropped); fewer throw ReadPastEndError.
    explicit ResourceTypeReferenceListItem(const ImageBytes& block);

    // The name; empty when the resource has none.
    const std::string& resourceName() const;
};

}  // namespace zorv
