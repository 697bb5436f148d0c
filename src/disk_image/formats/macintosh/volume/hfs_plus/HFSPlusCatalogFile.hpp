#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafRecord.hpp"

namespace zorv {

// The catalog file of an HFS+ volume, its leaf chain read whole once when it
// is opened. It keeps where each readable leaf lies in the catalog's bytes
// and its summary, not the leaves themselves: a leaf is read again, from the
// bytes, when it is asked for. It answers which items a folder holds, in name order, and which
// folder record carries a folder ID. There is no key search: each query
// walks the leaves again (the volume indexes the answers once).
class HFSPlusCatalogFile {
public:

    // `blocks` is the whole catalog file (its fork's extents joined),
    // `blockSize` the volume's allocation block size, handed to each leaf.
    // Errors of the B-tree reader pass through (unreacheableBlock for bytes
    // shorter than one block). Throws HFSPlusCatalogFileError::noLeafNodes
    // when the leaf chain yields no live record (it is empty, starts past the
    // bytes, or holds a node that cannot be read; see BTree::leafNodeRecords)
    // or none that can be decoded. A record whose key or body is cut short is
    // left out.
    HFSPlusCatalogFile(ImageBytes blocks, int64_t blockSize);

    // How many readable leaves the leaf chain holds.
    size_t leafCount() const { return leaves_.size(); }
    // The leaf at `position` (below leafCount()), in chain order (for a sound
    // catalog, key order: by parent ID, then by name as HFS+ compares names).
    HFSPlusCatalogLeafRecord leaf(size_t position) const;
    // The parent ID of its key, kept when the catalog was opened.
    int64_t parentIDOf(size_t position) const { return leaves_.at(position).parentID; }
    // Every leaf, read.
    std::vector<HFSPlusCatalogLeafRecord> leaves() const;

    // The file and folder records whose key's parent is `parentID`, sorted
    // by name as HFSPlusCatalogKey::compareNodeNames orders them (canonical
    // composition, then code points, case-sensitive), stable for equal
    // names. Threads are never children, nor is a folder whose own ID is
    // `parentID` (a damaged record naming itself as its parent).
    std::vector<HFSPlusCatalogLeafRecord> leavesInParent(int64_t parentID) const;

    // The children of every parent at once, as positions in `leaves`, each
    // list in the order of leavesInParent: one pass over the catalog instead
    // of one per folder.
    std::unordered_map<int64_t, std::vector<uint32_t>> childPositionsByParent() const;

    // What the catalog's walks need of a record, read from its bytes in
    // place: its kind (an unknown record type reads as a file thread, as
    // HFSPlusCatalogLeafData reads it), its key's parent ID and the folder ID
    // of a folder or file ID of a file (0 for threads).
    struct LeafSummary {
        HFSPlusCatalogLeafData::LeafType leafType = HFSPlusCatalogLeafData::LeafType::fileThread;
        uint32_t parentID = 0;
        uint32_t identifier = 0;
    };
    // The summary of a record given as its key (length field first) and its
    // data; nothing when HFSPlusCatalogLeafRecord cannot read the record
    // (a key or body shorter than its layout, a key length below 6, a fork
    // length of 2^63 or more).
    static std::optional<LeafSummary> summaryOf(ByteView key, ByteView data);
    // The summary of the leaf at `position`, kept since the catalog opened.
    LeafSummary leafSummary(size_t position) const;
    // The key's node name of the leaf at `position`, read from its bytes.
    std::string nodeNameOf(size_t position) const;

    // The first folder leaf, in catalog order, whose folder ID is
    // `directoryID`; nothing when there is none (threads and files never
    // match).
    std::optional<HFSPlusCatalogLeafRecord> directoryRecord(int64_t directoryID) const;
    // The position of the first folder leaf of each folder ID, in catalog
    // order.
    std::unordered_map<int64_t, uint32_t> folderPositions() const;

private:
    // Whether the leaf is a child of its key's parent: a file, or a folder
    // other than that parent itself.
    bool isChild(size_t position) const;

    struct Leaf {
        uint64_t offset;  // of its record in the catalog's bytes
        uint32_t length;
        uint32_t parentID;
        uint32_t identifier;
        uint8_t leafType;  // a HFSPlusCatalogLeafData::LeafType
        bool is(HFSPlusCatalogLeafData::LeafType type) const { return leafType == static_cast<uint8_t>(type); }
    };

    BTree tree_;
    int64_t blockSize_;
    std::vector<Leaf> leaves_;
};

}  // namespace zorv
