#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/amiga/AmigaBlockable.hpp"
#include "disk_image/formats/amiga/AmigaDateComponents.hpp"

namespace zorv {

// The header block of a file (T_HEADER, ST_FILE), 512 bytes:
//   4 headerKey   8 highSeq   12 dataSize   16 firstData   20 checksum
//   24 dataBlocks (72 longs, the first data block in the last one)
//   316 UID   318 GID   320 protect   324 byteSize   328 comment (BCPL, 80)
//   420 lastChange   432 fileName (BCPL, 31)   468 realEntry   472 nextLink
//   496 nextHash   500 parentDir   504 ext   508 secType
// Read only: its encoding is a placeholder of 256 zero bytes.
struct ADFDiskFileHeaderBlock : AmigaBlockable<ADFDiskFileHeaderBlock> {
    static constexpr int64_t dataBlockSlots = 72;

    int64_t headerKey = 0;
    int64_t highSeq = 0;  // pointers used in dataBlocks, as stored (may exceed 72)
    int64_t dataSize = 0;
    int64_t firstData = 0;
    int64_t checksum = 0;
    std::array<int64_t, dataBlockSlots> dataBlocks{};
    int64_t UID = 0;
    int64_t GID = 0;
    int64_t protect = 0;
    int64_t byteSize = 0;
    std::string comment;
    AmigaDateComponents lastChange;
    std::string fileName;
    int64_t realEntry = 0;
    int64_t nextLink = 0;
    int64_t nextHash = 0;
    int64_t parentDir = 0;
    int64_t ext = 0;

    // Throws ADFDiskEntryBlockError::invalidFileHeaderBlock unless the block
    // type is T_HEADER and the secondary type ST_FILE, and ReadPastEndError
    // for fewer than 512 bytes. Texts whose length byte runs past their field
    // read on up to the end of the block.
    explicit ADFDiskFileHeaderBlock(const ImageBytes& block);

    // The data block pointers in file order: the last min(highSeq, 72)
    // entries of dataBlocks, from the last entry backwards.
    std::vector<int64_t> dataBlockList() const;

    std::vector<Bytes> dataBlockArray() const { return {Bytes(256, 0)}; }
};

}  // namespace zorv
