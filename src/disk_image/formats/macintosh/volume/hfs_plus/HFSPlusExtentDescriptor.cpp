#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentDescriptor.hpp"

#include "data_access/ByteHelpers.hpp"

namespace zorv {

HFSPlusExtentDescriptor::HFSPlusExtentDescriptor(const ImageBytes& block, int64_t blockSize)
    : BlockStructureDefinable(blockSize, block.slice(0, size)) {
    // Read in place: a fork holds eight of them, and every file two forks.
    startBlock = fromLongBigEndian(structureData.view().first(4));
    blockCount = fromLongBigEndian(structureData.view().subspan(4, 4));
}

}  // namespace zorv
