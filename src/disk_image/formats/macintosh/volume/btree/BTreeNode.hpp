#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeNodeDescriptor.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeNodeRecord.hpp"

namespace zorv {

// One node of a B-tree file: its descriptor and its live records, in the
// order of the offset table at the node's end.
struct BTreeNode {
    BTreeNodeDescriptor descriptor;
    std::vector<BTreeNodeRecord> records;
    // Where each of `records` lies in the node: its first byte, length and
    // stored key length.
    struct RecordSpan {
        int64_t start;
        int64_t length;
        int64_t keyLength;
    };
    std::vector<RecordSpan> recordSpans;

    BTreeNode() = default;
    // Parses the first `blockSize` bytes of `block` as a node of that size.
    // Record i spans from the 16-bit offset at blockSize - 2(i + 1) to the one
    // just before it in the table (the last record ends at the free-space
    // offset). A slot whose start is 0, or not below its end, is skipped;
    // deleted records are dropped.
    //
    // Throws BTreeError when the node cannot be read inside its bytes:
    // nodeTooSmall when `block` holds fewer than `blockSize` bytes or the
    // node size cannot hold the descriptor and the offset table,
    // recordOutsideNode when a record ends past the node, keyOutsideRecord
    // from a record whose key runs past it.
    //
    // Without `keepRecords`, the records are checked the same way but only
    // their spans are kept (`records` stays empty).
    BTreeNode(const ImageBytes& block, int64_t blockSize, bool hasLongKey, std::optional<int64_t> maxKeyLength,
              bool keepRecords = true);
};

}  // namespace zorv
