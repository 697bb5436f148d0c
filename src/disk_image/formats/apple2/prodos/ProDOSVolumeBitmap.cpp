#include "disk_image/formats/apple2/prodos/ProDOSVolumeBitmap.hpp"

#include <stdexcept>

namespace zorv {
namespace {

void markInUse(Bytes& bitmap, int64_t block) {
    bitmap[static_cast<size_t>(block / 8)] &= static_cast<uint8_t>(~(0x80 >> (block % 8)));
}

}  // namespace

ProDOSVolumeBitmap::ProDOSVolumeBitmap(int64_t volumeSizeInBlocks) {
    if (volumeSizeInBlocks < 0 || volumeSizeInBlocks > 65535) {
        throw std::invalid_argument("a ProDOS volume holds 0 to 65,535 blocks");
    }
    const int64_t bitmapBlocks = blockCount(volumeSizeInBlocks);
    const int64_t bitCount = bitmapBlocks * blocksPerBitmapBlock;
    bitmapData.assign(static_cast<size_t>(bitmapBlocks * blockSize), 0xFF);
    // Boot blocks, volume directory and the bitmap itself.
    for (int64_t block = 0; block < firstBitmapBlock + bitmapBlocks; ++block) markInUse(bitmapData, block);
    // Blocks the volume does not have.
    for (int64_t block = volumeSizeInBlocks; block < bitCount; ++block) markInUse(bitmapData, block);
}

bool ProDOSVolumeBitmap::isBlockFree(int64_t block) const {
    if (block < 0 || block / 8 >= static_cast<int64_t>(bitmapData.size())) return false;
    return (bitmapData[static_cast<size_t>(block / 8)] & (0x80 >> (block % 8))) != 0;
}

}  // namespace zorv
