#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// The BSD permissions of an HFS+ catalog file or folder record (16 bytes):
// u32 owner ID, u32 group ID, the admin and owner flag bytes, the u16 file
// mode, then a 4-byte field (inode number, link count or device number) that
// zorv does not model: it is skipped when read and written as zeros.
struct HFSPlusBSDInfo : HFSPlusBlockable<HFSPlusBSDInfo> {
    static constexpr int64_t size = 16;

    int64_t ownerID = 0;
    int64_t groupID = 0;
    int64_t adminFlags = 0;
    int64_t ownerFlags = 0;
    int64_t fileMode = 0;

    HFSPlusBSDInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSPlusBSDInfo(const ImageBytes& block);

    // Six chunks: the five fields, then four zero bytes.
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const HFSPlusBSDInfo& a, const HFSPlusBSDInfo& b) {
        return a.ownerID == b.ownerID && a.groupID == b.groupID && a.adminFlags == b.adminFlags &&
               a.ownerFlags == b.ownerFlags && a.fileMode == b.fileMode;
    }
};

}  // namespace zorv
