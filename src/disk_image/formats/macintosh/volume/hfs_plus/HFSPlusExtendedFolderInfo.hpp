#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Point.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// The extended Finder information of an HFS+ folder (16 bytes): the scroll
// position of its window, a reserved u32, the extended Finder flags, a
// reserved u16 and the folder the item was in before it went to the Trash.
struct HFSPlusExtendedFolderInfo : HFSPlusBlockable<HFSPlusExtendedFolderInfo> {
    static constexpr int64_t size = 16;

    Point scrollPosition;
    int64_t reserved1 = 0;
    int64_t extendedFinderFlags = 0;
    int64_t reserved2 = 0;
    int64_t putAwayFolderID = 0;

    HFSPlusExtendedFolderInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSPlusExtendedFolderInfo(const ImageBytes& data);

    // Five chunks, one per field.
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const HFSPlusExtendedFolderInfo& a, const HFSPlusExtendedFolderInfo& b) {
        return a.scrollPosition == b.scrollPosition && a.reserved1 == b.reserved1 &&
               a.extendedFinderFlags == b.extendedFinderFlags && a.reserved2 == b.reserved2 &&
               a.putAwayFolderID == b.putAwayFolderID;
    }
};

}  // namespace zorv
