#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBSDInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtendedFileInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFileInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusForkDataStucture.hpp"

namespace zorv {

// An HFS+ catalog file record (record type 2, 248 bytes with the type). It
// is read from, and writes, the 246 bytes after the record type: u16 flags,
// u32 reserved, u32 file ID, five dates (GMT), the BSD, Finder and extended
// Finder blocks, u32 text encoding hint, u32 reserved, then the fork records
// of the data and resource forks, both carrying the volume's allocation
// block size.
struct HFSPlusFileRecord : HFSPlusBlockable<HFSPlusFileRecord> {
    // Bytes after the record type.
    static constexpr int64_t size = 246;

    int64_t flags = 0;  // catalog record flags
    int64_t reserved1 = 0;
    int64_t fileID = 0;
    Date createDate;
    Date contentModDate;
    Date attributeModDate;
    Date accessDate;
    Date backupDate;
    HFSPlusBSDInfo permissions;
    HFSPlusFileInfo userInfo;
    HFSPlusExtendedFileInfo finderInfo;
    int64_t textEncoding = 0;
    int64_t reserved2 = 0;
    HFSPlusForkDataStucture dataFork;
    HFSPlusForkDataStucture resourceFork;

    HFSPlusFileRecord() = default;
    // Reads the record from the bytes after the record type; `blockSize` is
    // the volume's allocation block size, handed to both forks. Throws
    // ReadPastEndError when there are fewer than 246 bytes, and
    // ValueOutOfRangeError for a fork length of 2^63 or more.
    HFSPlusFileRecord(const ImageBytes& data, int64_t blockSize);

    // 15 chunks, one per field (dates clamped to the u32 field); 246 bytes.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
