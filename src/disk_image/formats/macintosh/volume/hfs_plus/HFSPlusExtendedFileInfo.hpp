#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// The extended Finder information of an HFS+ file (16 bytes): four reserved
// u16, the extended Finder flags, a reserved u16 and the folder the file was
// in before it went to the Trash.
struct HFSPlusExtendedFileInfo : HFSPlusBlockable<HFSPlusExtendedFileInfo> {
    static constexpr int64_t size = 16;

    std::array<int64_t, 4> reserved1{};
    int64_t extendedFinderFlags = 0;
    int64_t reserved2 = 0;
    int64_t putAwayFolderID = 0;

    HFSPlusExtendedFileInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSPlusExtendedFileInfo(const ImageBytes& data);

    // Four chunks: the four reserved words, flags, reserved, put-away folder.
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const HFSPlusExtendedFileInfo& a, const HFSPlusExtendedFileInfo& b) {
        return a.reserved1 == b.reserved1 && a.extendedFinderFlags == b.extendedFinderFlags &&
               a.reserved2 == b.reserved2 && a.putAwayFolderID == b.putAwayFolderID;
    }
};

}  // namespace zorv
