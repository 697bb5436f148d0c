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

std::vector<BTreeNodeRecord> BTree::checkedLeafNodeRecords() const {
    const BTreeHeaderRecord& header = headerNode.headerRecord;
    const bool hasLongKey = header.attributes.contains(Attribute::bigKeys);
    std::optional<int64_t> maxKeyLength;
    if (hasLongKey && !header.attributes.contains(Attribute::variableIndexKeys)) maxKeyLength = header.maxKeyLength;

    std::vector<BTreeNodeRecord> result;
    std::unordered_set<int64_t> visited;
    int64_t node = header.firstLeafNode;
    if (node < 1) return result;
    while (node != 0) {
        // sizeInBlocks() is 0 for a node size of 0, so such a tree ends here.
        if (sizeInBlocks() < node + 1) throw BTreeError(BTreeError::Case::nodeOutsideTree);
        if (!visited.insert(node).second) throw BTreeError(BTreeError::Case::leafChainLoop);
        BTreeNode leaf(getBlockAtPosition(node), blockSize, hasLongKey, maxKeyLength);
        result.insert(result.end(), std::make_move_iterator(leaf.records.begin()),
                      std::make_move_iterator(leaf.records.end()));
        node = leaf.descriptor.fLink;
    }
    return result;
}

}  // namespace zorv
