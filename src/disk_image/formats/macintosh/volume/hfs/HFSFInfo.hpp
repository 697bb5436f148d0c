#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/OSType.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Point.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The Finder information of a file (16 bytes), in HFS catalog file records
// and MFS directory entries.
struct HFSFInfo : HFSBlockable<HFSFInfo> {
    static constexpr int64_t size = 16;

    OSType fdType{Bytes(4, 0)};     // file type
    OSType fdCreator{Bytes(4, 0)};  // creator
    int64_t fdFlags = 0;            // Finder flags
    Point fdLocation;               // icon position in its window
    int64_t fdFldr = 0;             // window (folder) the file belongs to

    HFSFInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSFInfo(const ImageBytes& data);

    // Five chunks: type, creator, flags, location, folder.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
