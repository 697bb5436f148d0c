#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafRecord.hpp"

namespace zorv {

// The catalog file of an HFS volume, read once into the flat list of its leaf
// records. It answers which items a folder holds, in name order, and which
// folder record carries a folder ID. Nothing is indexed: each query walks the
// list again.
struct HFSCatalogFile {
    // Every readable leaf of the leaf chain, in chain order (for a sound
    // catalog, key order: by parent ID, then by name within a parent).
    std::vector<HFSCatalogLeafRecord> leaves;

    // `blocks` is the whole catalog file; `blockSize` the block size handed to
    // the B-tree reader. Throws BlockStructureDefinableError::unreacheableBlock
    // when the bytes are shorter than one block, and
    // HFSCatalogFileError::noLeafNodes when the leaf chain yields no record (it
    // is empty, damaged, or reaches past the bytes) or none whose key can be
    // read. A record whose key is too short to hold its fixed fields cannot be
    // placed in any folder and is left out.
    HFSCatalogFile(ImageBytes blocks, int64_t blockSize);

    // The file and folder records whose parent is `parentID`, sorted by name:
    // by Unicode scalar values after canonical composition, case-sensitive,
    // stable for equal names. Threads and unknown leaves are never children.
    std::vector<HFSCatalogLeafRecord> leavesInParent(int64_t parentID) const;

    // The children of every parent at once, as positions in `leaves`, each
    // list in the order of leavesInParent: one pass over the catalog instead
    // of one per folder.
    std::unordered_map<int64_t, std::vector<size_t>> childPositionsByParent() const;

    // The first folder leaf, in catalog order, whose folder ID is
    // `directoryID`; nothing when there is none (thread records never match).
    std::optional<HFSCatalogLeafRecord> directoryRecord(int64_t directoryID) const;
};

}  // namespace zorv
