#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Point.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Rect.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The Finder information of a folder (16 bytes).
struct HFSDInfo : HFSBlockable<HFSDInfo> {
    static constexpr int64_t size = 16;

    Rect frRect;          // the folder's window
    int64_t frFlags = 0;  // Finder flags
    Point frLocation;     // icon position
    int64_t frView = 0;   // view of the folder's window

    HFSDInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSDInfo(const ImageBytes& data);

    // Four chunks: rectangle, flags, location, view.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
