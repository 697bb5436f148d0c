#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"

namespace zorv::testing {

// One resource of a fork made for a test.
struct ResourceSpec {
    int64_t id = 0;
    std::optional<std::string> name;  // raw Mac OS Roman bytes; none: unnamed
    Bytes contents;
};

// One entry of the fork's type list with its resources. A type may be listed
// twice, as damaged forks do.
struct ResourceTypeSpec {
    std::string type;  // four raw characters
    std::vector<ResourceSpec> resources;
};

// The bytes of a resource fork laid out the way the Resource Manager writes
// one: the 16-byte header, reserved zeros up to byte 256, the data area (a
// length word and the contents of each resource, in type list order), then
// the map (header copy, type list at map offset 28, the reference lists, the
// name list).
ImageBytes buildResourceFork(const std::vector<ResourceTypeSpec>& types);

// Where the parts of a fork made by buildResourceFork lie, in bytes from the
// start of the fork, for tests that damage them.
struct ResourceForkLayout {
    int64_t dataOffset = 256;
    int64_t mapOffset = 0;
    int64_t typeListOffset = 0;       // the type count; the first item follows it
    int64_t referenceListsOffset = 0;  // the first reference list
    int64_t nameListOffset = 0;
};
ResourceForkLayout resourceForkLayout(const ImageBytes& fork);

}  // namespace zorv::testing
