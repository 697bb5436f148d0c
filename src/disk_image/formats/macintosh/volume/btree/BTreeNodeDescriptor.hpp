#pragma once

#include <cstdint>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeNodeKind.hpp"

namespace zorv {

// The first 14 bytes of every B-tree node (HFS and HFS+ alike).
struct BTreeNodeDescriptor {
    static constexpr int64_t size = 14;

    int64_t fLink = 0;  // next node of the same kind; 0 ends the chain
    int64_t bLink = 0;  // previous node; never followed
    BTreeNodeKind kind = BTreeNodeKind::leaf;
    int64_t height = 0;
    int64_t numRecords = 0;
    int64_t reserved = 0;

    BTreeNodeDescriptor() = default;
    // Reads the descriptor from the first 14 bytes; ReadPastEndError when the
    // buffer is shorter.
    explicit BTreeNodeDescriptor(ByteView block);
};

}  // namespace zorv
