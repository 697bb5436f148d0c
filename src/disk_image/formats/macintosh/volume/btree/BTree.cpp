#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"

#include <optional>
#include <unordered_set>

#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeNode.hpp"

namespace zorv {

namespace {
using Attribute = BTreeHeaderRecord::BTreeHeaderAttribute;
}  // namespace

BTree::BTree(ImageBytes structureData, int64_t blockSize)
    : BlockStructureDefinable(blockSize, std::move(structureData)) {
    if (sizeInBlocks() < 1 || sizeInBytes() < BTreeHeaderNode::size) {
        throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
    }
    headerNode = BTreeHeaderNode(this->structureData);
    this->blockSize = headerNode.headerRecord.nodeSize;
}

std::vector<BTreeNodeRecord> BTree::leafNodeRecords() const {
    try {
        return checkedLeafNodeRecords();
    } catch (const BTreeError&) {
        return {};
    }
}

template <typename Visit>
void BTree::walkLeafChain(Visit visit) const {
    const BTreeHeaderRecord& header = headerNode.headerRecord;
    const bool hasLongKey = header.attributes.contains(Attribute::bigKeys);
    std::optional<int64_t> maxKeyLength;
    if (hasLongKey && !header.attributes.contains(Attribute::variableIndexKeys)) maxKeyLength = header.maxKeyLength;

    std::unordered_set<int64_t> visited;
    int64_t node = header.firstLeafNode;
    if (node < 1) return;
    while (node != 0) {
        // sizeInBlocks() is 0 for a node size of 0, so such a tree ends here.
        if (sizeInBlocks() < node + 1) throw BTreeError(BTreeError::Case::nodeOutsideTree);
        if (!visited.insert(node).second) throw BTreeError(BTreeError::Case::leafChainLoop);
        BTreeNode leaf(getBlockAtPosition(node), blockSize, hasLongKey, maxKeyLength);
        visit(leaf, node * blockSize);
        node = leaf.descriptor.fLink;
    }
}

std::vector<BTreeNodeRecord> BTree::checkedLeafNodeRecords() const {
    std::vector<BTreeNodeRecord> result;
    walkLeafChain([&](BTreeNode& leaf, int64_t) {
        result.insert(result.end(), std::make_move_iterator(leaf.records.begin()),
                      std::make_move_iterator(leaf.records.end()));
    });
    return result;
}

std::vector<BTree::RecordSpan> BTree::checkedLeafRecordSpans() const {
    std::vector<RecordSpan> result;
    walkLeafChain([&](const BTreeNode& leaf, int64_t nodeOffset) {
        for (const auto& span : leaf.recordSpans) {
            // A node is at most 64 KB: its records' lengths fit 32 bits.
            result.push_back({static_cast<uint64_t>(nodeOffset + span.start), static_cast<uint32_t>(span.length)});
        }
    });
    return result;
}

BTreeNodeRecord BTree::recordAt(const RecordSpan& span) const {
    const BTreeHeaderRecord& header = headerNode.headerRecord;
    const bool hasLongKey = header.attributes.contains(Attribute::bigKeys);
    std::optional<int64_t> maxKeyLength;
    if (hasLongKey && !header.attributes.contains(Attribute::variableIndexKeys)) maxKeyLength = header.maxKeyLength;
    return BTreeNodeRecord(structureData.slice(static_cast<int64_t>(span.offset), span.length), hasLongKey,
                           maxKeyLength);
}

}  // namespace zorv
