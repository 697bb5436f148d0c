#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentDescriptor.hpp"

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusExtentDescriptor::HFSPlusExtentDescriptor(const ImageBytes& block, int64_t blockSize)
    : BlockStructureDefinable(blockSize, block.slice(0, size)) {
    HFSPlusReaderBlock reader(structureData);
    startBlock = reader.getLongInteger();
    blockCount = reader.getLongInteger();
}

}  // namespace zorv
