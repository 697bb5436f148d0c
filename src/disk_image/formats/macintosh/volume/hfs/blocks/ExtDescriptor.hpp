#pragma once

#include <cstdint>
#include <vector>

#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// One HFS extent: a run of contiguous allocation blocks. Three in a row form
// an extent record (12 bytes); a (0, 0) descriptor covers no blocks.
struct ExtDescriptor : HFSBlockable<ExtDescriptor> {
    int64_t xdrStABN = 0;     // first allocation block of the extent
    int64_t xdrNumABlks = 0;  // number of allocation blocks in it

    ExtDescriptor() = default;
    ExtDescriptor(int64_t firstBlock, int64_t blockCount) : xdrStABN(firstBlock), xdrNumABlks(blockCount) {}

    std::vector<Bytes> dataBlockArray() const { return {integer(xdrStABN), integer(xdrNumABlks)}; }

    friend bool operator==(const ExtDescriptor& a, const ExtDescriptor& b) {
        return a.xdrStABN == b.xdrStABN && a.xdrNumABlks == b.xdrNumABlks;
    }
};

// The bytes of a list of extent descriptors in list order, 4 per descriptor;
// nothing is padded (fewer than three descriptors give fewer than 12 bytes).
Bytes extDescArray(const std::vector<ExtDescriptor>& descriptors);

}  // namespace zorv
