#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/formats/macintosh/models/ModelAlias.hpp"
#include "disk_image/formats/macintosh/models/ModelCapacityUnit.hpp"
#include "disk_image/formats/macintosh/models/ModelFamily.hpp"
#include "platform/UUID.hpp"

namespace zorv {

// A Macintosh computer, drive or removable medium of the model catalog, with
// the capacities offered for it and, for a computer, the checksums of its
// ROMs (the big-endian long that opens every Macintosh ROM image).
struct Model {
    // New for every value built; tells catalog entries apart.
    UUID id;
    // In a catalog's list, the display name (ModelCatalog).
    std::string name;
    // A display name that replaces the composed one; entries of a catalog's
    // list never carry it.
    std::optional<std::string> specialName;
    ModelFamily family = ModelFamily::Compact;
    // The capacities offered, in capacityUnit; may be empty.
    std::vector<int64_t> capacity;
    ModelCapacityUnit capacityUnit = ModelCapacityUnit::MB;
    // The name of the model's illustration.
    std::string imageName;
    std::optional<std::vector<ModelAlias>> aliases;
    std::optional<std::vector<uint32_t>> romChecksums;
    // Exact sizes in 512-byte blocks, parallel to capacity.
    std::optional<std::vector<int64_t>> exactCapacityInBlocks;

    // The first capacity, or 0 for a model without any.
    int64_t firstCapacity() const;
    // The name with every "/" replaced by "-", fit for a file name.
    std::string safeName() const;
    // True when the name holds "CD", except for the drives of family Other.
    bool hasCD() const;
    // The file-name prefix of an image for the model: "ZP" for the Iomega Zip,
    // "RE" for other removable media, "HD" for everything else.
    std::string preferredPrefix() const;
    // Throws std::out_of_range outside the capacity list.
    int64_t capacityAtIndex(size_t index) const;
    // Throws std::out_of_range without exact capacities or outside their list.
    int64_t capacityInBlocksAtIndex(size_t index) const;

    // "Default": a compact of 20 MB with the "Default" illustration.
    static Model defaultModel();
};

}  // namespace zorv
