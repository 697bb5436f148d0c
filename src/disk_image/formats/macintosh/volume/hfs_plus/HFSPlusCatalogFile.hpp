#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafRecord.hpp"

namespace zorv {

// The catalog file of an HFS+ volume, read once into the flat list of its
// leaf records. It answers which items a folder holds, in name order, and
// which folder record carries a folder ID. There is no key search: each
// query walks the list again (the volume indexes the answers once).
struct HFSPlusCatalogFile {
    // Every readable leaf of the leaf chain, in chain order (for a sound
    // catalog, key order: by parent ID, then by name as HFS+ compares names).
    std::vector<HFSPlusCatalogLeafRecord> leaves;

    // `blocks` is the whole catalog file (its fork's extents joined),
    // `blockSize` the volume's allocation block size, handed to each leaf.
    // Errors of the B-tree reader pass through (unreacheableBlock for bytes
    // shorter than one block). Throws HFSPlusCatalogFileError::noLeafNodes
    // when the leaf chain yields no live record (it is empty, damaged, or
    // reaches past the bytes) or none that can be decoded. A record whose key
    // or body is cut short is left out.
    HFSPlusCatalogFile(ImageBytes blocks, int64_t blockSize);

    // The file and folder records whose key's parent is `parentID`, sorted
    // by name as HFSPlusCatalogKey::compareNodeNames orders them (canonical
    // composition, then code points, case-sensitive), stable for equal
    // names. Threads are never children, nor is a folder whose own ID is
    // `parentID` (a damaged record naming itself as its parent).
    std::vector<HFSPlusCatalogLeafRecord> leavesInParent(int64_t parentID) const;

    // The children of every parent at once, as positions in `leaves`, each
    // list in the order of leavesInParent: one pass over the catalog instead
    // of one per folder.
    std::unordered_map<int64_t, std::vector<size_t>> childPositionsByParent() const;

    // The first folder leaf, in catalog order, whose folder ID is
    // `directoryID`; nothing when there is none (threads and files never
    // match).
    std::optional<HFSPlusCatalogLeafRecord> directoryRecord(int64_t directoryID) const;
};

}  // namespace zorv
