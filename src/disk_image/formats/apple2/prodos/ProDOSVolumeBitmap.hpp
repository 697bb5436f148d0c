#pragma once

#include <cstdint>

#include "data_access/Bytes.hpp"

namespace zorv {

// The volume bitmap of a new ProDOS volume, written from block 6: one bit per
// block, set for a free block, block b in bit 7 - (b mod 8) of byte b / 8, so
// that each 512-byte bitmap block covers 4,096 blocks.
//
// The boot blocks (0, 1), the volume directory (2 to 5) and the bitmap's own
// blocks are in use, and so are the bits past the end of the volume. The
// bitmap takes n / 4,096 + 1 blocks for a volume of n blocks, one more than
// it needs when n is a multiple of 4,096, as ProDOS itself lays it out.
struct ProDOSVolumeBitmap {
    static constexpr int64_t blocksPerBitmapBlock = 4096;
    // The block where the formatter writes it.
    static constexpr int64_t firstBitmapBlock = 6;

    int64_t blockSize = 512;
    Bytes bitmapData;

    // Throws std::invalid_argument for a size outside 0 to 65,535 blocks.
    explicit ProDOSVolumeBitmap(int64_t volumeSizeInBlocks);

    // Bitmap blocks for a volume of that many blocks.
    static int64_t blockCount(int64_t volumeSizeInBlocks) { return volumeSizeInBlocks / blocksPerBitmapBlock + 1; }
    // Whether the bitmap marks the block free; false outside the bitmap.
    bool isBlockFree(int64_t block) const;
};

}  // namespace zorv
