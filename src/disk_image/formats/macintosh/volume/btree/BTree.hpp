#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeHeaderNode.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeNodeRecord.hpp"

namespace zorv {

// The leaf-record reader of B-tree files: the HFS catalog and extents
// overflow files, and their HFS+ counterparts. It reads the header node and
// hands back every live record of the leaf chain in one flat list; it never
// searches by key, never descends the index nodes and never writes.
//
// Once built, `blockSize` is the header's node size: node n is bytes
// n * nodeSize ..< (n + 1) * nodeSize of the file, and nodeCount() counts the
// whole nodes the bytes hold.
//
// The file may be given in pieces (its extents, slices of the volume), so
// that a file in several extents is not copied whole: a node is then a slice
// of the piece holding it, copied only when it straddles two pieces.
class BTree : public BlockStructureDefinable {
public:
    // `structureData` is the whole B-tree file. Throws
    // BlockStructureDefinableError::unreacheableBlock when it holds less than
    // one block of `blockSize` bytes, or less than the 512 bytes of the
    // header node.
    BTree(ImageBytes structureData, int64_t blockSize);
    // The file as its pieces, in order; the same errors. `structureData`
    // then holds the file only when it is in one piece.
    BTree(std::vector<ImageBytes> pieces, int64_t blockSize);

    BTreeHeaderNode headerNode;

    // Every live record of the leaf chain, in chain order and, within a node,
    // in offset-table order; read again from the bytes at each call. A tree
    // whose first leaf node is 0 gives nothing. The chain ends at a link to a
    // node beyond the whole nodes of the bytes or to a node already read,
    // keeping the records read before it. A node that cannot be read inside
    // its bytes gives nothing at all (see checkedLeafNodeRecords).
    std::vector<BTreeNodeRecord> leafNodeRecords() const;

    // The same walk, telling why it failed: throws BTreeError when a node of
    // the chain cannot be read inside its bytes (the errors of BTreeNode).
    std::vector<BTreeNodeRecord> checkedLeafNodeRecords() const;

    // Where a record lies in the tree's bytes. Kept in place of the record by
    // readers of large trees: 16 bytes instead of two slices.
    struct RecordSpan {
        uint64_t offset = 0;
        uint32_t length = 0;
        uint16_t keyLength = 0;  // as stored at the record's start
    };
    // Whether key lengths are 16-bit (the header's bigKeys attribute).
    bool hasLongKeys() const;
    // The records of the same walk as spans (checkedLeafNodeRecords' errors
    // pass through), and the record a span holds, read again from the bytes.
    std::vector<RecordSpan> checkedLeafRecordSpans() const;
    BTreeNodeRecord recordAt(const RecordSpan& span) const;
    // The span's bytes, whole: key length field, key and data.
    ImageBytes recordBytes(const RecordSpan& span) const {
        return fileBytes(static_cast<int64_t>(span.offset), span.length);
    }
    // The same bytes seen in place, valid while the tree lives; when they
    // straddle two pieces of the file, a copy kept in `joined`.
    ByteView recordView(const RecordSpan& span, ImageBytes& joined) const;

    // Whole nodes in the file.
    int64_t nodeCount() const;
    // Lets the system drop the file's pages from memory where it can
    // (ImageBytes::releaseResidentPages). The walks do it as they go.
    void releaseResidentPages() const;
    // How many bytes of records a reader goes through between releases.
    static constexpr int64_t releaseInterval = 8 << 20;

private:
    // Bytes [offset, offset + length) of the file: a slice of one piece, or
    // a copy when the range straddles pieces. The range lies in the file.
    ImageBytes fileBytes(int64_t offset, int64_t length) const;
    // Where the bytes [offset, offset + length) of the file start: the piece
    // holding the first, the offset in it, and whether it holds them all.
    struct PiecePlace {
        size_t index;
        int64_t inPiece;
        bool whole;
    };
    PiecePlace placeOf(int64_t offset, int64_t length) const;
    void readHeader();

    std::vector<ImageBytes> pieces_;
    std::vector<int64_t> pieceStarts_;  // each piece's offset in the file
    int64_t fileSize_ = 0;

    // The walk of the leaf chain, handing each node and its place in the
    // bytes to `visit`.
    template <typename Visit>
    void walkLeafChain(Visit visit, bool keepRecords) const;
    // The length every key of long keys has when index keys are not of
    // variable length; nothing otherwise.
    std::optional<int64_t> fixedKeyLength() const;
};

}  // namespace zorv
