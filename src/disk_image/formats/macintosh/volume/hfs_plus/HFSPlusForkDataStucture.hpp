#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentDescriptor.hpp"

namespace zorv {

// The 80-byte fork record of HFS+: the data or resource fork of a file, or
// one of the five special files of the volume header. On disk, big-endian:
// u64 logicalSize, u32 clumpSize, u32 totalBlocks, then eight extent
// descriptors, the first extents of the fork in file order. Further extents
// of a fragmented fork live in the extents overflow file.
//
// `blockSize` is the volume's allocation block size, given by the caller and
// handed to every extent; `structureData` is the 80 bytes read (empty for a
// blank fork).
struct HFSPlusForkDataStucture : BlockStructureDefinable, HFSPlusBlockable<HFSPlusForkDataStucture> {
    static constexpr int64_t size = 80;
    static constexpr int64_t extentCount = 8;

    int64_t logicalSize = 0;  // the fork's length in bytes
    int64_t clumpSize = 0;    // carried through unchanged
    int64_t totalBlocks = 0;  // allocation blocks of the whole fork, overflow extents included
    std::vector<HFSPlusExtentDescriptor> extents;

    // A blank fork: every number 0 and eight (0, 0) extents.
    explicit HFSPlusForkDataStucture(int64_t blockSize = 512);
    // Reads the fork record from the first 80 bytes of `block`; an empty
    // `block` gives a blank fork. A shorter non-empty block throws
    // ReadPastEndError; a logical size of 2^63 or more throws
    // ValueOutOfRangeError.
    HFSPlusForkDataStucture(const ImageBytes& block, int64_t blockSize);

    // Allocation blocks covered by the extents of this record (checked sum).
    int64_t extentBlockCount() const;

    // The bytes of `extents` in `volume`, joined in list order (a slice of
    // the volume when only one extent holds blocks, otherwise a copy); (0, 0)
    // extents add nothing. Throws BlockStructureDefinableError
    // unreacheableBlock, and gives no partial bytes, when the allocation
    // block size is not positive, when an extent ends past the last whole
    // allocation block of the volume, or when the extents together cover more
    // blocks than the volume holds (no valid fork does, and it keeps a
    // damaged list of extents from multiplying the volume in memory).
    static ImageBytes gatherExtents(const ImageBytes& volume, int64_t allocationBlockSize,
                                    const std::vector<HFSPlusExtentDescriptor>& extents);

    // What a file's fork holds once its extents are gathered: nothing when
    // `gathered` is empty, otherwise its first min(logicalSize, length) bytes.
    std::optional<ImageBytes> contents(const ImageBytes& gathered) const;

    // Four chunks: logicalSize (u64), clumpSize (u32), totalBlocks (u32), and
    // the extents joined (empty when there are none).
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
