#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"

namespace zorv {

// An image (or an on-disk record spanning blocks) held as one byte buffer and
// addressed by block of `blockSize` bytes: block n starts at byte
// n * blockSize. A trailing partial block is in the buffer but cannot be
// addressed by block number.
//
// Images, volumes and multi-block records derive from it and set the two
// fields; every operation here is shared by all of them. Reads hand out
// slices of the shared buffer, never copies; the two mutating operations
// change this value's own bytes (copied on first write when shared), so
// slices handed out earlier keep their contents.
//
// Every block range is checked: a range outside the addressable blocks, a
// negative number or count, or arithmetic that would overflow raises
// `unreacheableBlock`.
class BlockStructureDefinable {
public:
    int64_t blockSize = 512;
    ImageBytes structureData;

    BlockStructureDefinable() = default;
    BlockStructureDefinable(int64_t blockSize, ImageBytes structureData)
        : blockSize(blockSize), structureData(std::move(structureData)) {}

    int64_t sizeInBytes() const { return static_cast<int64_t>(structureData.size()); }
    // Whole blocks in the buffer; 0 for a block size that is not positive.
    int64_t sizeInBlocks() const;
    // n * blockSize; throws `unreacheableBlock` when it does not fit.
    int64_t bytePosition(int64_t block) const;

    // The bytes of blocks [block, block + count).
    ImageBytes getBlockAtPosition(int64_t block, int64_t count = 1) const;
    // Each listed block on its own, in list order; the first failure ends it.
    std::vector<ImageBytes> getBlockArray(const std::vector<int64_t>& blocks) const;
    // The listed blocks joined in list order (a block listed twice comes twice).
    ImageBytes getGroupedBlocks(const std::vector<int64_t>& blocks) const;
    // True when the bytes at `position` equal `bytes`; false when the range
    // does not lie inside the buffer.
    bool validatePresenceOfData(ByteView bytes, int64_t position) const;

    // The buffer followed by zero bytes up to the next multiple of 32 KiB
    // strictly above its size.
    Bytes paddedTo32K() const;

    // Appends `count` zero blocks.
    void appendEmptyBlocks(int64_t count);
    // Zeroes `count` blocks from `block` (when given), then writes `bytes` at
    // the block's start. The buffer keeps its size; a range outside it raises
    // `unreacheableBlock` and changes nothing.
    void initLogicalBlock(int64_t block, ByteView bytes, std::optional<int64_t> count = std::nullopt);

protected:
    ~BlockStructureDefinable() = default;

private:
    [[noreturn]] static void unreachable();
};

}  // namespace zorv
