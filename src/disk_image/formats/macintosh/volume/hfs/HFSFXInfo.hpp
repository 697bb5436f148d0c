#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The extended Finder information of a file (16 bytes).
struct HFSFXInfo : HFSBlockable<HFSFXInfo> {
    static constexpr int64_t size = 16;

    int64_t fdIconID = 0;
    std::array<int64_t, 3> fdUnused{};
    int64_t fdScript = 0;
    int64_t fdXFlags = 0;
    int64_t fdComment = 0;
    int64_t fdPutAway = 0;  // folder ID to put the file back into

    HFSFXInfo() = default;
    // Reads the first 16 bytes; ReadPastEndError when there are fewer.
    explicit HFSFXInfo(const ImageBytes& data);

    // Six chunks: icon ID, the three unused words, script, extended flags,
    // comment, put-away folder.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
