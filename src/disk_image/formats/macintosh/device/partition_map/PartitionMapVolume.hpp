#pragma once

#include <cstdint>
#include <map>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionType.hpp"

namespace zorv {

// A volume of a new device as the partition map lays it out, once the
// allocation has placed it: the entry that locates it and the blocks to
// write. What the map needs of a volume descriptor, and nothing more: a
// descriptor turns into one by its entry type (appleHFS for HFS and HFS+,
// appleMFS, applePRODOS for ProDOS and DOS 3.3, appleUnixSVR2 for A/UX), with
// its allocated start block, size and name; an unreadable volume turns into
// none.
struct PartitionMapVolume {
    // A volume case carrying the volume's start block, size in blocks and name.
    PartitionType partitionType;
    // The block size of the volume's entry.
    int64_t blockSize = 512;
    // Bytes to write, keyed by block offset within the volume; each value is
    // written from its key onwards and may span many blocks.
    std::map<int64_t, ImageBytes> blocksToInstall;
};

}  // namespace zorv
