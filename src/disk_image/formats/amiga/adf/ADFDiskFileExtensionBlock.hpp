#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// A file extension block (T_LIST, ST_FILE): 72 more data block pointers of a
// file whose header's table is full, filled from the last entry backwards.
//   4 headerKey   8 highSeq   20 checksum   24 dataBlocks (72 longs)
//   500 parent (the file header)   504 ext (next extension, 0 for none)
//   508 secType
struct ADFDiskFileExtensionBlock {
    static constexpr int64_t dataBlockSlots = 72;

    int64_t headerKey = 0;
    int64_t highSeq = 0;
    int64_t checksum = 0;
    std::array<int64_t, dataBlockSlots> dataBlocks{};
    int64_t parent = 0;
    int64_t ext = 0;

    // Throws ADFDiskEntryBlockError::invalidExtensionBlock unless the block
    // type is T_LIST and the secondary type ST_FILE, and ReadPastEndError
    // for fewer than 512 bytes.
    explicit ADFDiskFileExtensionBlock(const ImageBytes& block);

    // The last min(highSeq, 72) entries of dataBlocks, from the last
    // backwards.
    std::vector<int64_t> dataBlockList() const;
};

}  // namespace zorv
