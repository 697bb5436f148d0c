#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSFileDirectoryEntry.hpp"

namespace zorv {

// The file directory of an MFS volume: every file of the volume, in
// directory order.
//
// The directory is a run of 512-byte sectors. Entries follow one another at
// even offsets and never cross a sector boundary: the bytes after the last
// entry of a sector are zero, and the next entry starts at the next sector.
struct MFSFileDirectory {
    // Bytes of one directory sector, whatever the volume's block size.
    static constexpr int64_t sectorSize = 512;

    std::vector<MFSFileDirectoryEntry> entries;

    MFSFileDirectory() = default;
    // Walks the directory bytes from their start until `numberOfEntries`
    // entries are read or the bytes run out; an entry cut by the end of the
    // bytes ends the walk. A byte whose in-use bit is clear where an entry
    // would begin ends that sector. Never throws, never reads outside
    // `block`, and holds at most `numberOfEntries` entries (none when it is 0
    // or less).
    MFSFileDirectory(const ImageBytes& block, int64_t numberOfEntries);
};

}  // namespace zorv
