#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Point.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The extended Finder information of a folder (16 bytes).
struct HFSDXInfo : HFSBlockable<HFSDXInfo> {
    static constexpr int64_t size = 16;

    Point frScroll;           // scroll position
    int64_t frOpenChain = 0;  // chain of open folders
    int64_t frScript = 0;
    int64_t frXFlags = 0;
    int64_t frComment = 0;
    int64_t frPutAway = 0;  // folder ID to put the folder back into

    HFSDXInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSDXInfo(const ImageBytes& data);

    // Six chunks: scroll, open chain, script, extended flags, comment,
    // put-away folder.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
