#pragma once

#include <cstdint>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// A data block of the old file system (T_DATA): a 24-byte header, then 488
// bytes of the file.
//   4 headerKey (the file header)   8 seqNum   12 dataSize   16 nextData
//   20 checksum   24 data
struct ADFDiskFileDataBlockOFS {
    static constexpr int64_t payloadSize = 488;

    int64_t headerKey = 0;
    int64_t seqNum = 0;
    int64_t dataSize = 0;
    int64_t nextData = 0;
    int64_t checksum = 0;
    ImageBytes data;  // always the 488 bytes from offset 24, a slice of the block

    // Throws ADFDiskEntryBlockError::invalidDataBlock unless the block type
    // is T_DATA, and ReadPastEndError for fewer than 512 bytes.
    explicit ADFDiskFileDataBlockOFS(const ImageBytes& block);
};

}  // namespace zorv
