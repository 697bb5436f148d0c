#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/amiga/AmigaBlockable.hpp"

namespace zorv {

// One bitmap block of an Amiga DOS volume: its checksum, then 127 longs of
// 32 block flags each (4,064 flags). A set flag means the block is free. Flag
// f lies in long f div 32, at bit f mod 32 counted from the least significant.
struct ADFDiskBitmapBlock : AmigaBlockable<ADFDiskBitmapBlock> {
    static constexpr int64_t groupCount = 127;
    static constexpr int64_t flagsPerBlock = groupCount * 32;

    int64_t checksum = 0;
    std::array<uint32_t, groupCount> blockFlagGroups{};

    ADFDiskBitmapBlock() = default;
    // A block whose first `numberOfFreeBlockFlags` flags are set, with its
    // checksum. Throws ADFDiskBitmapBlockError::tooManyFreeBlockFlagsToAssign
    // above 4,064.
    explicit ADFDiskBitmapBlock(int64_t numberOfFreeBlockFlags);

    // A bitmap block as stored (512 bytes; ReadPastEndError for fewer).
    static ADFDiskBitmapBlock fromBlock(const ImageBytes& block);

    bool isFree(int64_t flag) const;
    // Clears a flag (0...4,063) and recomputes the checksum.
    void markAsOccupied(int64_t flag);

    // The checksum, then the 127 groups: 512 bytes.
    std::vector<Bytes> dataBlockArray() const;

private:
    void updateChecksum();
};

}  // namespace zorv
