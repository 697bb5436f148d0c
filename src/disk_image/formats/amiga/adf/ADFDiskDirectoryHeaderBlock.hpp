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

// The header block of a directory (T_HEADER, ST_USERDIR), 512 bytes:
//   4 headerKey   20 checksum   24 ht (hash table, 72 longs)   316 UID
//   318 GID   320 protect   328 comment (BCPL, 80)   420 lastAccess
//   432 dirName (BCPL, 31)   472 nextLink   496 nextHash   500 parentDir
//   504 ext   508 secType
// Read only: its encoding is a placeholder of 256 zero bytes.
struct ADFDiskDirectoryHeaderBlock : AmigaBlockable<ADFDiskDirectoryHeaderBlock> {
    static constexpr int64_t hashTableSize = 72;

    int64_t headerKey = 0;
    int64_t checksum = 0;
    std::array<int64_t, hashTableSize> ht{};
    int64_t UID = 0;
    int64_t GID = 0;
    int64_t protect = 0;
    std::string comment;
    AmigaDateComponents lastAccess;
    std::string dirName;
    int64_t nextLink = 0;
    int64_t nextHash = 0;
    int64_t parentDir = 0;
    int64_t ext = 0;

    // Throws ADFDiskEntryBlockError::invalidDirectoryHeaderBlock unless the
    // block type is T_HEADER and the secondary type ST_USERDIR, and
    // ReadPastEndError for fewer than 512 bytes.
    explicit ADFDiskDirectoryHeaderBlock(const ImageBytes& block);

    std::vector<Bytes> dataBlockArray() const { return {Bytes(256, 0)}; }
};

}  // namespace zorv
