#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/amiga/ADFDiskBlockType.hpp"
#include "disk_image/formats/amiga/ADFSecondaryType.hpp"
#include "disk_image/formats/amiga/AmigaBlockable.hpp"
#include "disk_image/formats/amiga/AmigaDateComponents.hpp"

namespace zorv {

struct ADFDiskBitmap;

// The root block of an Amiga DOS volume (512 bytes, big-endian): the hash
// table of the top-level directory, the bitmap blocks, the volume name and
// the volume's three dates. Where it lies: ADFDiskGeometry.
//
//   0 type (T_HEADER)   4 headerKey   8 highSeq   12 htSize   16 firstData
//   20 checksum   24 ht (72 longs)   312 bmFlag (signed)   316 bmPages (25)
//   416 bmExt   420 root directory date   432 diskName (BCPL, 31 bytes)
//   472 volume date   484 creation date   496 nextHash   500 parentDir
//   504 ext   508 secType (ST_ROOT)
struct ADFDiskRootBlock : AmigaBlockable<ADFDiskRootBlock> {
    static constexpr int64_t hashTableSize = 72;
    static constexpr int64_t nameFieldLength = 31;
    // bmFlag when AmigaDOS left the bitmap valid; any other value says the
    // bitmap blocks are not to be trusted.
    static constexpr int64_t validBitmapFlag = -1;

    ADFDiskBlockType type = ADFDiskBlockType::T_HEADER;
    int64_t headerKey = 0;
    int64_t highSeq = 0;
    int64_t htSize = hashTableSize;
    int64_t firstData = 0;
    int64_t checksum = 0;
    std::array<int64_t, hashTableSize> ht{};
    int64_t bmFlag = validBitmapFlag;
    std::array<int64_t, 25> bmPages{};
    int64_t bmExt = 0;
    AmigaDateComponents rootDate;  // rDays, rMins, rTicks
    std::string diskName;
    AmigaDateComponents volumeDate;    // vDays, vMins, vTicks
    AmigaDateComponents creationDate;  // cDays, cMins, cTicks
    int64_t nextHash = 0;
    int64_t parentDir = 0;
    int64_t ext = 0;
    ADFSecondaryType secType = ADFSecondaryType::ST_ROOT;

    ADFDiskRootBlock() = default;
    // Reads a root block from the first 512 bytes of `block`. Throws
    // ADFDiskRootBlockError::invalidRootBlock unless the block type is
    // T_HEADER and the secondary type ST_ROOT, and ReadPastEndError for
    // fewer bytes. A name length byte larger than the field reads on into
    // the fields after it, up to the end of the block. The checksum is not
    // verified.
    explicit ADFDiskRootBlock(const ImageBytes& block);

    // The root block of a new volume named `name` (its first 30 characters)
    // over the bitmap of the new volume: an empty hash table, the bitmap's
    // first 25 blocks and first extension block, all three dates now, and
    // its checksum.
    ADFDiskRootBlock(const std::string& name, const ADFDiskBitmap& bitmap);

    // The 512 bytes of the block in 27 chunks.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
