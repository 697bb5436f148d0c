#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace zorv {

// The geometry of an Amiga DOS volume (a floppy image, a UAE hardfile or a
// partition of a Rigid Disk Block disk): cylinders, sectors per track, heads
// and block size. It fixes the volume's size in blocks and, with the blocks
// reserved at its start for the boot block, where its root block lies.
//
// This is the one place that places root blocks: the volume reader, the
// blank-volume builders and the hard-disk reader (with a partition's own
// values) all ask rootBlockCandidates() or rootBlock().
struct ADFDiskGeometry {
    // Blocks 0 and 1, the boot block, on floppies and hardfiles.
    static constexpr int64_t defaultReservedBlocks = 2;
    static constexpr int64_t floppyBlockSize = 512;
    static constexpr int64_t hardfileSectorCount = 32;

    static const ADFDiskGeometry DDFloppy;  // 80 cylinders, 11 sectors, 2 heads: 901,120 bytes
    static const ADFDiskGeometry HDFloppy;  // 80 cylinders, 22 sectors, 2 heads: 1,802,240 bytes

    int64_t cylinderCount = 0;
    int64_t sectorCount = 0;  // per track
    int64_t headCount = 0;
    int64_t blockSize = floppyBlockSize;

    // The hardfile geometry of an image: one head, 32 sectors a track, and as
    // many whole cylinders as the blocks fill.
    static ADFDiskGeometry hardfile(int64_t sizeInBytes, int64_t blockSize);

    // The geometry an image of `sizeInBytes` bytes opens with: a
    // double-density floppy for 901,120 bytes and a high-density one for
    // 1,802,240 bytes whatever was given, else the given geometry, else the
    // hardfile geometry with 512-byte blocks.
    static ADFDiskGeometry forImage(int64_t sizeInBytes, const std::optional<ADFDiskGeometry>& given);

    // 80 cylinders, 11 or 22 sectors, 2 heads, 512-byte blocks.
    bool isFloppy() const;
    // cylinders x sectors x heads; throws ArithmeticOverflowError when it
    // does not fit.
    int64_t totalBlocks() const;

    // AmigaDOS's root block: the middle of the blocks after the reserved
    // ones, (reserved + T - 1) div 2 for T blocks. 880 for a double-density
    // floppy, 1,760 for a high-density one, T div 2 for every even T.
    static int64_t rootBlockNumber(int64_t blockCount, int64_t reservedBlocks);
    int64_t rootBlock(int64_t reservedBlocks = defaultReservedBlocks) const;

    // Where a reader looks for the root block, in order: rootBlock(), then
    // the position some tools wrote instead (T div 2, and 880 for a
    // high-density floppy), when it differs.
    std::vector<int64_t> rootBlockCandidates(int64_t reservedBlocks = defaultReservedBlocks) const;

    friend bool operator==(const ADFDiskGeometry&, const ADFDiskGeometry&) = default;
};

}  // namespace zorv
