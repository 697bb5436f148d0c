#pragma once

#include <cstdint>
#include <string>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// One load segment block ("LSEG") of an Amiga hard disk: 492 bytes of a file
// system's code and the next block of the chain. The signature and checksum
// are read, never checked.
struct ADFDiskFileSystemSegment {
    static constexpr int64_t loadDataOffset = 20;
    // Bytes 20 to 511, whatever the drive's block size.
    static constexpr int64_t loadDataSize = 492;

    std::string id;
    int64_t sizeInLongs = 0;
    int64_t checksum = 0;
    int64_t hostID = 0;
    int64_t next = -1;    // the next segment block, -1 at the end
    ImageBytes loadData;  // a slice of the block

    // Reads the first 512 bytes of `block`; ReadPastEndError for a shorter
    // block.
    explicit ADFDiskFileSystemSegment(const ImageBytes& block);
};

}  // namespace zorv
