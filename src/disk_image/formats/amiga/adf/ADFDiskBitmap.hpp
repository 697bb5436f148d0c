#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "data_access/Bytes.hpp"
#include "disk_image/formats/amiga/AmigaBlockable.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmapBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskGeometry.hpp"

namespace zorv {

// The allocation bitmap of an Amiga DOS volume: its bitmap blocks with the
// block number each is written at, in the order the volume lists them.
// Flags count from block 2 (the boot block has none): block b is flag b - 2,
// in the bitmap block of index (b - 2) div 4,064 in that order, whatever
// their block numbers.
//
// The root block lists the first 25 bitmap blocks; further ones are listed
// by bitmap extension blocks of 127 pointers each, chained through their last
// long.
struct ADFDiskBitmap : AmigaBlockable<ADFDiskBitmap> {
    static constexpr int64_t pagesInRootBlock = 25;
    static constexpr int64_t pagesPerExtensionBlock = 127;

    // The bitmap blocks a volume of `totalBlocks` blocks reads: enough for a
    // flag for each of blocks 2 to `totalBlocks` - 1.
    static int64_t pagesNeeded(int64_t totalBlocks);

    // In listed order; ascending on a new volume.
    std::vector<std::pair<int64_t, ADFDiskBitmapBlock>> bitmapBlocks;
    ADFDiskGeometry geometry;
    // The extension blocks of a new volume, by block number, with the
    // bitmap blocks each lists; empty for a bitmap read from a volume.
    std::map<int64_t, std::vector<int64_t>> extensionBlocks;

    ADFDiskBitmap() = default;
    // A bitmap as read from a volume, its blocks in the order listed.
    ADFDiskBitmap(std::vector<std::pair<int64_t, ADFDiskBitmapBlock>> blocks, const ADFDiskGeometry& geometry)
        : bitmapBlocks(std::move(blocks)), geometry(geometry) {}

    // The bitmap of a new volume of T blocks with its root at R
    // (ADFDiskGeometry::rootBlock): T flags, all free, in bitmap blocks
    // from R + 1 upwards; beyond the 25 blocks the root block lists, each
    // run of up to 127 bitmap blocks is followed by the extension block that
    // lists it. The root block, every bitmap block and every extension block
    // are marked in use. Throws BlockStructureDefinableError::unreacheableBlock
    // when the root block would fall in the boot block or these blocks would
    // not fit in the volume, and ArithmeticOverflowError for a geometry whose
    // block count does not fit.
    explicit ADFDiskBitmap(const ADFDiskGeometry& geometry);

    // Clears the flag of a block. Throws ADFDiskBitmapError::locationNotFound
    // when no bitmap block holds it; the bitmap is then unchanged.
    void markAsOccupied(int64_t block);
    // Whether the flag of a block is set; false when no bitmap block holds it.
    bool isFree(int64_t block) const;
    // How many of blocks 2 to `totalBlocks` - 1 are flagged free (the flags
    // past the last block, which AmigaDOS leaves set, are not counted);
    // nothing when the bitmap blocks do not hold a flag for each of them or
    // one that holds them lies outside those blocks.
    std::optional<int64_t> freeBlockCount(int64_t totalBlocks) const;

    // The bitmap block numbers in order: the first 25 (zero-filled to 25,
    // the root block's list), then runs of 127, the last one as long as the
    // numbers left.
    std::vector<std::vector<int64_t>> bitmapLocationGroups() const;
    // The root block's pointer to the first extension block; 0 when the root
    // block lists every bitmap block.
    int64_t firstExtension() const;

    // Each extension block of a new volume as written: 127 bitmap block
    // numbers (zero-filled), then the next extension block or 0.
    std::vector<std::pair<int64_t, Bytes>> extensionBlockData() const;

    // One 512-byte chunk per bitmap block, in order.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
