#include "disk_image/formats/macintosh/volume/btree/BTreeNode.hpp"

#include <string>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"

namespace zorv {

BTreeNode::BTreeNode(const ImageBytes& block, int64_t blockSize, bool hasLongKey, std::optional<int64_t> maxKeyLength,
                     bool keepRecords) {
    if (blockSize < BTreeNodeDescriptor::size || static_cast<int64_t>(block.size()) < blockSize) {
        throw BTreeError(BTreeError::Case::nodeTooSmall);
    }
    const ByteView node = block.view().first(static_cast<size_t>(blockSize));
    descriptor = BTreeNodeDescriptor(node);
    if (descriptor.numRecords == 0) return;

    // The table holds one start offset per record plus the free-space offset.
    const int64_t tableSize = 2 * (descriptor.numRecords + 1);
    if (blockSize - BTreeNodeDescriptor::size < tableSize) throw BTreeError(BTreeError::Case::nodeTooSmall);

    // Inside the node: the table's size was checked above.
    const auto offsetAt = [&](int64_t slot) -> int64_t {
        return fromBigEndian(node.subspan(static_cast<size_t>(blockSize - 2 * (slot + 1)), 2));
    };
    recordSpans.reserve(static_cast<size_t>(descriptor.numRecords));
    if (keepRecords) records.reserve(static_cast<size_t>(descriptor.numRecords));
    for (int64_t i = 0; i < descriptor.numRecords; ++i) {
        const int64_t start = offsetAt(i);
        const int64_t end = offsetAt(i + 1);
        if (start == 0 || start >= end) continue;
        if (end > blockSize) throw BTreeError(BTreeError::Case::recordOutsideNode);
        if (!keepRecords) {
            // BTreeNodeRecord's checks, on the node's bytes in place.
            const int64_t fieldWidth = hasLongKey ? 2 : 1;
            const int64_t size = end - start;
            if (size < fieldWidth) throw BTreeError(BTreeError::Case::keyOutsideRecord);
            const uint8_t* record = node.data() + start;
            const int64_t keyLength = hasLongKey ? (int64_t{record[0]} << 8) | record[1] : int64_t{record[0]};
            if (keyLength == 0) continue;  // deleted
            if (fieldWidth + keyLength > size) throw BTreeError(BTreeError::Case::keyOutsideRecord);
            if (maxKeyLength && (*maxKeyLength < 0 || *maxKeyLength > 0xFFFF)) {
                throw ValueOutOfRangeError("B-tree maximum key length " + std::to_string(*maxKeyLength));
            }
            recordSpans.push_back({start, size, keyLength});
            continue;
        }
        BTreeNodeRecord record(block.slice(start, end - start), hasLongKey, maxKeyLength);
        if (record.isDeleted()) continue;
        recordSpans.push_back({start, end - start, record.keyLength});
        records.push_back(std::move(record));
    }
}

}  // namespace zorv
