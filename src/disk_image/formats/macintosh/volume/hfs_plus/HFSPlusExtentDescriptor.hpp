#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// One HFS+ extent: a run of contiguous allocation blocks, counted from the
// first byte of the volume in units of the volume's allocation block size
// (`blockSize`). On disk, 8 bytes: u32 startBlock, u32 blockCount; a slot
// that holds no run is (0, 0). `structureData` keeps the 8 bytes it was read
// from (empty for one made from values).
struct HFSPlusExtentDescriptor : BlockStructureDefinable, HFSPlusBlockable<HFSPlusExtentDescriptor> {
    static constexpr int64_t size = 8;

    int64_t startBlock = 0;  // first allocation block
    int64_t blockCount = 0;  // number of allocation blocks

    HFSPlusExtentDescriptor() = default;
    HFSPlusExtentDescriptor(int64_t startBlock, int64_t blockCount, int64_t blockSize)
        : BlockStructureDefinable(blockSize, ImageBytes()), startBlock(startBlock), blockCount(blockCount) {}
    // Reads the first 8 bytes of `block` (which become structureData);
    // ReadPastEndError when there are fewer.
    HFSPlusExtentDescriptor(const ImageBytes& block, int64_t blockSize);

    // The allocation block just past the run (startBlock + blockCount).
    int64_t endBlock() const { return startBlock + blockCount; }

    // Two chunks: startBlock, blockCount, u32 each.
    std::vector<Bytes> dataBlockArray() const { return {longInteger(startBlock), longInteger(blockCount)}; }

    // Same run of the same block size; the bytes read from do not count.
    friend bool operator==(const HFSPlusExtentDescriptor& a, const HFSPlusExtentDescriptor& b) {
        return a.startBlock == b.startBlock && a.blockCount == b.blockCount && a.blockSize == b.blockSize;
    }
};

}  // namespace zorv
