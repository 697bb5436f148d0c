#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafRecord.hpp"

namespace zorv {

// The catalog file of an HFS volume, its leaf chain read whole once when it
// is opened. It keeps where each readable leaf lies in the catalog's bytes,
// not the leaves themselves: a leaf is read again, from the bytes, when it is
// asked for. It answers which items a folder holds, in name order, and which
// folder record carries a folder ID.
class HFSCatalogFile {
public:
    // What the navigation of a volume needs of a leaf, read without reading
    // the whole record.
    struct LeafSummary {
        HFSCatalogLeafRecord::LeafType leafType = HFSCatalogLeafRecord::LeafType::unknown;
        int64_t parentID = 0;
        // dirDirID of a folder, filFlNum of a file; 0 for any other leaf.
        int64_t identifier = 0;
    };

    // `blocks` is the whole catalog file; `blockSize` the block size handed to
    // the B-tree reader. Throws BlockStructureDefinableError::unreacheableBlock
    // when the bytes are shorter than one block, and
    // HFSCatalogFileError::noLeafNodes when the leaf chain yields no record (it
    // is empty, starts past the bytes, or holds a node that cannot be read;
    // see BTree::leafNodeRecords) or none whose key can be read. A record
    // whose key is too short to hold its fixed fields cannot be placed in any
    // folder and is left out.
    HFSCatalogFile(ImageBytes blocks, int64_t blockSize);
    // The catalog file as its extents' bytes, in order; the same errors.
    HFSCatalogFile(std::vector<ImageBytes> pieces, int64_t blockSize);

    // How many readable leaves the leaf chain holds.
    size_t leafCount() const { return spans_.size(); }
    // The leaf at `position` (below leafCount()), in chain order (for a sound
    // catalog, key order: by parent ID, then by name within a parent).
    HFSCatalogLeafRecord leaf(size_t position) const;
    // Its record as the B-tree holds it: slices of the catalog's bytes.
    BTreeNodeRecord leafRecord(size_t position) const;
    LeafSummary leafSummary(size_t position) const;
    // The summary of a leaf's record, read as HFSCatalogLeafRecord reads the
    // record; the key's fixed fields must be readable (they are for every
    // leaf the catalog keeps).
    static LeafSummary summaryOf(const BTreeNodeRecord& record);
    // Every leaf, read.
    std::vector<HFSCatalogLeafRecord> leaves() const;

    // The file and folder records whose parent is `parentID`, sorted by name:
    // by Unicode scalar values after canonical composition, case-sensitive,
    // stable for equal names. Threads and unknown leaves are never children.
    std::vector<HFSCatalogLeafRecord> leavesInParent(int64_t parentID) const;

    // The children of every parent at once, as positions of leaves, each
    // list in the order of leavesInParent: one pass over the catalog instead
    // of one per folder.
    std::unordered_map<int64_t, std::vector<uint32_t>> childPositionsByParent() const;

    // The same children, and the position of the first folder leaf of each
    // folder ID in catalog order, from one reading of every leaf.
    struct FolderIndex {
        std::unordered_map<int64_t, std::vector<uint32_t>> children;
        std::unordered_map<int64_t, uint32_t> folders;
    };
    FolderIndex folderIndex() const;

    // The first folder leaf, in catalog order, whose folder ID is
    // `directoryID`; nothing when there is none (thread records never match).
    std::optional<HFSCatalogLeafRecord> directoryRecord(int64_t directoryID) const;

private:
    // A leaf's record as bytes: its key (length field first) and what
    // follows the key, with what keeps them alive.
    struct LeafBytes {
        BTreeNodeRecord record;
        ImageBytes bytes;
        ByteView key;
        ByteView afterKey;
        int64_t keyLength = 0;
        // Whether the views lie in the catalog's own bytes, valid as long as
        // the catalog (not a copy kept here).
        bool inPlace = false;
    };
    LeafBytes leafBytes(size_t position) const;

    // Keeps the leaves of the tree whose keys can be read.
    void readLeaves();

    BTree tree_;
    std::vector<BTree::RecordSpan> spans_;
};

}  // namespace zorv
