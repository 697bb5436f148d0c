#pragma once

#include <cstdint>
#include <optional>

#include "data_access/ImageBytes.hpp"

namespace zorv::testing {

// The catalog and extents B-tree files of a bare HFS volume, cut out of it at
// the extent records of its master directory block (read at their fixed
// offsets, so that B-tree tests need no volume reader).
struct HfsBTreeFiles {
    ImageBytes catalogFile;
    ImageBytes extentsFile;
    int64_t allocationBlockSize = 0;

    // Nothing when the volume has no master directory block ("BD" at 1024) or
    // an extent lies beyond the image's bytes.
    static std::optional<HfsBTreeFiles> cutFrom(const ImageBytes& volume);
};

}  // namespace zorv::testing
