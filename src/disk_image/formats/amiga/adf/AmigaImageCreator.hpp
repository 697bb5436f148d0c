#pragma once

#include <cstdint>

#include "disk_image/formats/amiga/adf/ADFDiskGeometry.hpp"
#include "disk_image/model/ImageCreatorRepresentable.hpp"
#include "platform/URL.hpp"

namespace zorv {

// Writes a blank Amiga DOS volume as an image file: the blocks of
// ADFDisk::blankVolumeBlocks() (boot block, root block "Empty", bitmap blocks
// and, above 101,600 blocks, bitmap extension blocks), queued in a
// PhysicalBlockFile of cylinders x sectors x heads x block size bytes.
// Nothing is written until create().
struct AmigaImageCreator : ImageCreatorRepresentable {
    static constexpr int64_t defaultBlockSize = 512;

    // Throws PhysicalBlockFileError::invalidFileURL for a URL that is not a
    // file URL or names a folder, BlockStructureDefinableError::unreacheableBlock
    // for a geometry too small for its root block and bitmap, and
    // ArithmeticOverflowError for one whose size does not fit.
    AmigaImageCreator(const ADFDiskGeometry& geometry, bool bootable, const URL& fileURL);
};

}  // namespace zorv
