#pragma once

#include <vector>

#include "disk_image/formats/macintosh/volume/btree/BTreeNodeRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileKey.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafData.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSBlockable.hpp"

namespace zorv {

// One leaf of an HFS catalog: the key that places an item in its parent
// folder, and the item's data (folder, file or thread record).
struct HFSCatalogLeafRecord : HFSBlockable<HFSCatalogLeafRecord> {
    using LeafType = HFSCatalogLeafData::LeafType;

    HFSCatalogFileKey key;
    HFSCatalogLeafData data;

    HFSCatalogLeafRecord() = default;
    HFSCatalogLeafRecord(HFSCatalogFileKey key, HFSCatalogLeafData data) : key(std::move(key)), data(std::move(data)) {}

    // Builds the leaf from one live record of the catalog B-tree's leaf chain.
    // The key length byte does not count itself, so an even key length leaves
    // the key ending at an odd offset: the data then starts after one pad
    // byte, which is skipped. Throws what the key's reader throws for a key
    // too short to hold its fixed fields; the data never fails to read.
    explicit HFSCatalogLeafRecord(const BTreeNodeRecord& record);

    LeafType leafType() const { return data.leafType; }

    // The key's bytes, a zero pad byte when the key length is even, then the
    // data's bytes: the record as it lies in its node.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
