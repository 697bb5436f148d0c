#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Point.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Rect.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// The Finder information of an HFS+ folder (16 bytes): the window's bounds,
// the Finder flags, the folder's icon position and a reserved word.
struct HFSPlusFolderInfo : HFSPlusBlockable<HFSPlusFolderInfo> {
    static constexpr int64_t size = 16;

    Rect windowBounds;
    int64_t finderFlags = 0;  // FinderFlag bits
    Point location;
    int64_t reservedField = 0;

    HFSPlusFolderInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSPlusFolderInfo(const ImageBytes& data);

    // Four chunks: bounds (top, left, bottom, right), flags, location (v, h), reserved.
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const HFSPlusFolderInfo& a, const HFSPlusFolderInfo& b) {
        return a.windowBounds == b.windowBounds && a.finderFlags == b.finderFlags && a.location == b.location &&
               a.reservedField == b.reservedField;
    }
};

}  // namespace zorv
