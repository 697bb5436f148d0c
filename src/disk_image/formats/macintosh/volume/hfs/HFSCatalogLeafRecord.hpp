#pragma once

#include <vector>

#include "disk_image/formats/macintosh/volume/btree/BTreeNodeRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileKey.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafData.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// One leaf of an HFS catalog: the key that places an item in its parent
// folder, and the item's data (folder, file or thread record).
//
// It is also the item an HFS volume hands out for a file or folder. Files
// answer from their file record, folders from their folder record; threads
// and unknown leaves (never offered as children) answer with the name alone,
// the 1904 epoch for dates and nothing else.
struct HFSCatalogLeafRecord : HFSBlockable<HFSCatalogLeafRecord>, VolumeItemRepresentable {
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

    // VolumeItemRepresentable
    // The key's node name.
    std::string name() const override;
    // Data and resource fork together (filLgLen + filRLgLen, filPyLen +
    // filRPyLen) for a file; nothing for any other leaf.
    std::optional<int64_t> logicalSizeInBytes() const override;
    std::optional<int64_t> physicalSizeInBytes() const override;
    std::optional<Date> creationDate() const override;
    std::optional<Date> modificationDate() const override;
    // A folder leaf, also one whose folder record could not be read.
    bool isFolder() const override;
    // From the Finder information of a file (fdFlags) or of a folder
    // (frFlags of dirUsrInfo): that is where the Finder keeps a folder's
    // invisibility, not in the record's own dirFlags.
    std::optional<std::vector<FinderFlag>> flags() const override;
    // The TypeList description of the file's type code, or "Unknown type".
    std::optional<std::string> kind() const override;
    std::optional<OSType> type() const override;
    std::optional<OSType> creator() const override;
    bool isExportable() const override { return true; }
    // The catalog node ID: dirDirID of a folder, filFlNum of a file.
    std::optional<uint64_t> itemIdentifier() const override;

    // The Finder flags whose bits are all set in a 16-bit flags word, in
    // declaration order.
    static std::vector<FinderFlag> finderFlags(int64_t flagsWord);

    // The file record of a file leaf, the folder record of a folder leaf.
    const HFSCatalogLeafData::FileRecord* fileRecord() const;
    const HFSCatalogLeafData::FolderRecord* folderRecord() const;
};

}  // namespace zorv
