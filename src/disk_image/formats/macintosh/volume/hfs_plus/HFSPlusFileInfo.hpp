#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/OSType.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Point.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// The Finder information of an HFS+ file (16 bytes): type and creator codes
// (their four bytes as stored), the Finder flags, the icon position and a
// reserved word.
struct HFSPlusFileInfo : HFSPlusBlockable<HFSPlusFileInfo> {
    static constexpr int64_t size = 16;

    OSType fileType{Bytes(4, 0)};
    OSType fileCreator{Bytes(4, 0)};
    int64_t finderFlags = 0;  // FinderFlag bits
    Point location;
    int64_t reservedField = 0;

    HFSPlusFileInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSPlusFileInfo(const ImageBytes& data);

    // Five chunks: type and creator (their bytes, which must be four each,
    // else FieldEncodingError), flags, location (v, h), reserved.
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const HFSPlusFileInfo& a, const HFSPlusFileInfo& b) {
        return a.fileType == b.fileType && a.fileCreator == b.fileCreator && a.finderFlags == b.finderFlags &&
               a.location == b.location && a.reservedField == b.reservedField;
    }
};

}  // namespace zorv
