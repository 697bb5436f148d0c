#include "disk_image/formats/amiga/adf/AmigaImageCreator.hpp"

#include "data_access/CheckedMath.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmap.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBootBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskRootBlock.hpp"

namespace zorv {

AmigaImageCreator::AmigaImageCreator(const ADFDiskGeometry& geometry, bool bootable, const URL& fileURL)
    : ImageCreatorRepresentable(
              PhysicalBlockFile(fileURL, checked::mul(geometry.totalBlocks(), geometry.blockSize), defaultBlockSize),
              defaultBlockSize) {
    const ADFDiskBitmap bitmap(geometry);
    installBlock(0, ADFDiskBootBlock::blankBootBlock(bootable, ADFDisk::bootBlockRootPointer(geometry)).dataBlock());
    installBlock(geometry.rootBlock(), ADFDiskRootBlock("Empty", bitmap).dataBlock());
    for (const auto& [key, block] : bitmap.bitmapBlocks) installBlock(key, block.dataBlock());
    for (const auto& [key, bytes] : bitmap.extensionBlockData()) installBlock(key, bytes);
}

}  // namespace zorv
