#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBSDInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtendedFolderInfo.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFolderInfo.hpp"

namespace zorv {

// An HFS+ catalog folder record (record type 1, 88 bytes with the type).
// It is read from, and writes, the 86 bytes after the record type: u16
// flags, u32 valence, u32 folder ID, five dates (GMT), the BSD, Finder and
// extended Finder blocks, u32 text encoding hint, u32 reserved.
struct HFSPlusFolderRecord : HFSPlusBlockable<HFSPlusFolderRecord> {
    // Bytes after the record type.
    static constexpr int64_t size = 86;

    int64_t flags = 0;    // catalog record flags
    int64_t valence = 0;  // items directly inside the folder
    int64_t folderID = 0;
    Date createDate;
    Date contentModDate;
    Date attributeModDate;
    Date accessDate;
    Date backupDate;
    HFSPlusBSDInfo permissions;
    HFSPlusFolderInfo userInfo;
    HFSPlusExtendedFolderInfo finderInfo;
    int64_t textEncoding = 0;
    int64_t reserved = 0;

    HFSPlusFolderRecord() = default;
    // Reads the record from the bytes after the record type; ReadPastEndError
    // when there are fewer than 86.
    explicit HFSPlusFolderRecord(const ImageBytes& data);

    // 13 chunks, one per field (dates clamped to the u32 field); 86 bytes.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
