#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// An HFS+ catalog thread record (record type 3 for a folder, 4 for a file):
// it leads from an item's own ID (in its key) to its parent and name. Read
// from, and written as, the bytes after the record type: u16 reserved, u32
// parent ID, u16 count n, then n UTF-16 code units big-endian; nothing
// follows.
struct HFSPlusCatalogThreadRecord : HFSPlusBlockable<HFSPlusCatalogThreadRecord> {
    int64_t reserved = 0;
    int64_t parentID = 0;  // parent folder of the item the thread names
    std::string nodeName;  // the item's name

    HFSPlusCatalogThreadRecord() = default;
    HFSPlusCatalogThreadRecord(int64_t parentID, std::string nodeName)
        : parentID(parentID), nodeName(std::move(nodeName)) {}
    // Reads the record from the bytes after the record type. Throws
    // ReadPastEndError when the fixed fields or the name's code units reach
    // past the bytes; a name that is not valid UTF-16 reads as empty.
    explicit HFSPlusCatalogThreadRecord(const ImageBytes& data);

    // Three chunks: reserved (u16), parentID (u32), the name as u16 count and
    // code units (FieldEncodingError past 65535 units).
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
