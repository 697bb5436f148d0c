#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"

#include <algorithm>
#include <optional>
#include <vector>

#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeNode.hpp"

namespace zorv {

namespace {
using Attribute = BTreeHeaderRecord::BTreeHeaderAttribute;
}  // namespace

BTree::BTree(ImageBytes structureData, int64_t blockSize)
    : BlockStructureDefinable(blockSize, std::move(structureData)) {
    pieces_ = {this->structureData};
    readHeader();
}

BTree::BTree(std::vector<ImageBytes> pieces, int64_t blockSize) : BlockStructureDefinable(blockSize, ImageBytes()) {
    for (auto& piece : pieces) {
        if (!piece.empty()) pieces_.push_back(std::move(piece));
    }
    if (pieces_.size() == 1) structureData = pieces_.front();
    readHeader();
}

void BTree::readHeader() {
    pieceStarts_.reserve(pieces_.size());
    for (const auto& piece : pieces_) {
        pieceStarts_.push_back(fileSize_);
        fileSize_ += static_cast<int64_t>(piece.size());
    }
    if (nodeCount() < 1 || fileSize_ < BTreeHeaderNode::size) {
        throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
    }
    const ImageBytes& first = pieces_.front();
    headerNode = BTreeHeaderNode(static_cast<int64_t>(first.size()) >= BTreeHeaderNode::size
                                     ? first
                                     : fileBytes(0, BTreeHeaderNode::size));
    blockSize = headerNode.headerRecord.nodeSize;
}

void BTree::releaseResidentPages() const {
    for (const auto& piece : pieces_) piece.releaseResidentPages();
}

int64_t BTree::nodeCount() const { return blockSize > 0 ? fileSize_ / blockSize : 0; }

BTree::PiecePlace BTree::placeOf(int64_t offset, int64_t length) const {
    // The last piece starting at or before the offset holds its first byte.
    const auto after = std::upper_bound(pieceStarts_.begin(), pieceStarts_.end(), offset);
    const auto index = static_cast<size_t>(after - pieceStarts_.begin()) - 1;
    const int64_t inPiece = offset - pieceStarts_[index];
    const bool whole = inPiece + length <= static_cast<int64_t>(pieces_[index].size());
    return {index, inPiece, whole};
}

ImageBytes BTree::fileBytes(int64_t offset, int64_t length) const {
    const PiecePlace place = placeOf(offset, length);
    if (place.whole) return pieces_[place.index].slice(place.inPiece, length);
    size_t index = place.index;
    Bytes joined;
    joined.reserve(static_cast<size_t>(length));
    int64_t position = place.inPiece;
    while (static_cast<int64_t>(joined.size()) < length && index < pieces_.size()) {
        const ImageBytes& piece = pieces_[index];
        const int64_t take =
            std::min(length - static_cast<int64_t>(joined.size()), static_cast<int64_t>(piece.size()) - position);
        joined.insert(joined.end(), piece.begin() + position, piece.begin() + position + take);
        ++index;
        position = 0;
    }
    return ImageBytes(std::move(joined));
}

ByteView BTree::recordView(const RecordSpan& span, ImageBytes& joined) const {
    const PiecePlace place = placeOf(static_cast<int64_t>(span.offset), span.length);
    if (place.whole) return pieces_[place.index].view().subspan(static_cast<size_t>(place.inPiece), span.length);
    joined = recordBytes(span);
    return joined.view();
}

std::vector<BTreeNodeRecord> BTree::leafNodeRecords() const {
    try {
        return checkedLeafNodeRecords();
    } catch (const BTreeError&) {
        return {};
    }
}

bool BTree::hasLongKeys() const { return headerNode.headerRecord.attributes.contains(Attribute::bigKeys); }

std::optional<int64_t> BTree::fixedKeyLength() const {
    const BTreeHeaderRecord& header = headerNode.headerRecord;
    if (!hasLongKeys() || header.attributes.contains(Attribute::variableIndexKeys)) return std::nullopt;
    return header.maxKeyLength;
}

template <typename Visit>
void BTree::walkLeafChain(Visit visit, bool keepRecords) const {
    const bool hasLongKey = hasLongKeys();
    const std::optional<int64_t> maxKeyLength = fixedKeyLength();
    // One bit a node: a chain can name any node of the file once.
    std::vector<bool> visited;
    int64_t node = headerNode.headerRecord.firstLeafNode;
    if (node < 1) return;
    // A large tree read through once does not stay in memory as a whole.
    int64_t sinceRelease = 0;
    while (node != 0) {
        sinceRelease += blockSize;
        if (sinceRelease >= releaseInterval) {
            releaseResidentPages();
            sinceRelease = 0;
        }
        // A link to a node outside the file's whole nodes, or back to a node
        // already read, ends the chain: the records read so far are the
        // tree's, as one bad link in a ProDOS or Amiga chain keeps what came
        // before it. nodeCount() is 0 for a node size of 0, so such a tree
        // ends here with nothing.
        if (nodeCount() < node + 1) return;
        const auto index = static_cast<size_t>(node);
        if (index >= visited.size()) visited.resize(index + 1);
        if (visited[index]) return;
        visited[index] = true;
        BTreeNode leaf(fileBytes(node * blockSize, blockSize), blockSize, hasLongKey, maxKeyLength, keepRecords);
        visit(leaf, node * blockSize);
        node = leaf.descriptor.fLink;
    }
}

std::vector<BTreeNodeRecord> BTree::checkedLeafNodeRecords() const {
    std::vector<BTreeNodeRecord> result;
    walkLeafChain([&](BTreeNode& leaf, int64_t) {
        result.insert(result.end(), std::make_move_iterator(leaf.records.begin()),
                      std::make_move_iterator(leaf.records.end()));
    }, true);
    return result;
}

std::vector<BTree::RecordSpan> BTree::checkedLeafRecordSpans() const {
    std::vector<RecordSpan> result;
    walkLeafChain([&](const BTreeNode& leaf, int64_t nodeOffset) {
        for (const auto& span : leaf.recordSpans) {
            // A node is at most 64 KB: its records' lengths fit 32 bits.
            result.push_back({static_cast<uint64_t>(nodeOffset + span.start), static_cast<uint32_t>(span.length),
                              static_cast<uint16_t>(span.keyLength)});
        }
    }, false);
    return result;
}

BTreeNodeRecord BTree::recordAt(const RecordSpan& span) const {
    const std::optional<int64_t> keyLength = fixedKeyLength();
    const bool hasLongKey = hasLongKeys();
    // A record of one piece whose key is as stored is sliced from the piece
    // directly: the walk that found the span checked its key lies inside it.
    const auto offset = static_cast<int64_t>(span.offset);
    const PiecePlace place = placeOf(offset, span.length);
    if (!keyLength && span.keyLength != 0 && place.whole) {
        const ImageBytes& piece = pieces_[place.index];
        const int64_t keyEnd = (hasLongKey ? 2 : 1) + int64_t{span.keyLength};
        BTreeNodeRecord record;
        record.keyLength = span.keyLength;
        record.recordKey = piece.slice(place.inPiece, keyEnd);
        record.recordData = piece.slice(place.inPiece + keyEnd, span.length - keyEnd);
        return record;
    }
    return BTreeNodeRecord(fileBytes(offset, span.length), hasLongKey, keyLength);
}

}  // namespace zorv
