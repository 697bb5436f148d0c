#include "disk_image/formats/amiga/adf/AmigaImageCreator.hpp"

#include "data_access/CheckedMath.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"

namespace zorv {

AmigaImageCreator::AmigaImageCreator(const ADFDiskGeometry& geometry, bool bootable, const URL& fileURL)
    : ImageCreatorRepresentable(
              PhysicalBlockFile(fileURL, checked::mul(geometry.totalBlocks(), geometry.blockSize), defaultBlockSize),
              defaultBlockSize) {
    for (auto& [key, bytes] : ADFDisk::blankVolumeBlocks(geometry, bootable)) installBlock(key, std::move(bytes));
}

}  // namespace zorv
