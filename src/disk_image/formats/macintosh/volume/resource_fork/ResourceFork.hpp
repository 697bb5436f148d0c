#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ColorTable.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceTypeReferenceListItem.hpp"

namespace zorv {

// The resources of one resource fork, by type: each with its number, name,
// attributes and contents (a slice of the fork's bytes).
//
// A fork is untrusted like any image: only what its bytes hold is read. A
// map that does not lie within the fork gives no resources; a reference
// list, a reference or a type list item cut off by the end of the map ends
// its list there; a name outside the map leaves the resource unnamed; a
// resource whose length word or contents lie beyond the fork is left out.
class ResourceFork {
public:
    using ResourceTable = std::map<std::string, std::vector<ResourceTypeReferenceListItem>, std::less<>>;

    // The colour table that every fork answers for number 8.
    static constexpr int64_t systemColorTableID = 8;

    // Resource type to that type's resources, in reference-list order.
    ResourceTable resources;

    ResourceFork() = default;
    // Reads the fork's header, map and resources. Never throws.
    explicit ResourceFork(const ImageBytes& block);

    // The contents of the first resource of the type with this number
    // (-32768 to 32767); nothing when there is none, or for a number outside
    // that range.
    std::optional<ImageBytes> getResource(std::string_view type, int64_t id) const;
    // The colour table of the "clut" resource with this number; for number 8
    // always the system palette, whatever the fork holds.
    std::optional<ColorTable> getclut(int64_t id) const;
};

}  // namespace zorv
