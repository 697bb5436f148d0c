#pragma once

#include <array>
#include <cstdint>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeHeaderRecord.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeNodeDescriptor.hpp"

namespace zorv {

// Node 0 of a B-tree file, read with the fixed layout of a 512-byte header
// node whatever the tree's node size: descriptor, header record, user data
// record, map record and the four offsets at its end. Only the header record
// is used afterwards.
struct BTreeHeaderNode {
    static constexpr int64_t size = 512;

    BTreeNodeDescriptor descriptor;
    BTreeHeaderRecord headerRecord;
    ImageBytes userDataRecord;               // bytes 120..<248
    ImageBytes mapRecord;                    // bytes 248..<504
    std::array<int64_t, 4> recordOffsets{};  // bytes 504..<512, in the order stored

    BTreeHeaderNode() = default;
    // Reads the first 512 bytes; ReadPastEndError when the buffer is shorter.
    explicit BTreeHeaderNode(const ImageBytes& block);
};

}  // namespace zorv
