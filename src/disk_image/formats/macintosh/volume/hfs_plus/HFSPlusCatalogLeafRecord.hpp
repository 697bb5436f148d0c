#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogKey.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafData.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// One leaf record of the HFS+ catalog: its key and its body. It is the item
// an HFS+ volume hands out for each of its files and folders. `blockSize` is
// the volume's allocation block size, the one a file record's forks carry;
// it is not written.
//
// As an item, a file answers from its file record and a folder from its
// folder record; a thread (never offered as a child) answers with its key's
// name, the 1904 epoch for both dates and nothing else.
struct HFSPlusCatalogLeafRecord : HFSPlusBlockable<HFSPlusCatalogLeafRecord>, VolumeItemRepresentable {
    HFSPlusCatalogKey key;
    HFSPlusCatalogLeafData data;
    int64_t blockSize = 512;

    HFSPlusCatalogLeafRecord() = default;
    HFSPlusCatalogLeafRecord(HFSPlusCatalogKey key, HFSPlusCatalogLeafData data, int64_t blockSize)
        : key(std::move(key)), data(std::move(data)), blockSize(blockSize) {}
    // Decodes a leaf record as the B-tree reader splits it: `keyBytes` (the
    // u16 key length and the key) and `body` (every byte after the key, taken
    // whole). Throws the errors of HFSPlusCatalogKey and HFSPlusCatalogLeafData.
    HFSPlusCatalogLeafRecord(const ImageBytes& keyBytes, const ImageBytes& body, int64_t blockSize);

    // The key's parent folder and name.
    int64_t parentID() const { return key.parentID; }
    const std::string& nodeName() const { return key.nodeName; }

    // Two chunks: the key's bytes, then the body's.
    std::vector<Bytes> dataBlockArray() const { return {key.dataBlock(), data.dataBlock()}; }

    // VolumeItemRepresentable
    // The key's node name, as stored (control characters included).
    std::string name() const override;
    // For a file, data and resource fork together: their logical sizes, and
    // their totalBlocks times the allocation block size. Nothing for a
    // folder or a thread. A damaged record whose sum passes 2^63 - 1 answers
    // 2^63 - 1.
    std::optional<int64_t> logicalSizeInBytes() const override;
    std::optional<int64_t> physicalSizeInBytes() const override;
    // createDate and contentModDate of a file or folder (GMT); the 1904
    // epoch for a thread.
    std::optional<Date> creationDate() const override;
    std::optional<Date> modificationDate() const override;
    bool isFolder() const override;
    // From userInfo.finderFlags of a file or a folder: the Finder keeps a
    // folder's invisibility there, not in the record's own flags field.
    // Nothing for a thread.
    std::optional<std::vector<FinderFlag>> flags() const override;
    // The TypeList description of a file's type code, or "Unknown type".
    std::optional<std::string> kind() const override;
    std::optional<OSType> type() const override;
    std::optional<OSType> creator() const override;
    bool isExportable() const override { return true; }
    // The catalog node ID: folderID of a folder, fileID of a file; nothing
    // for a thread.
    std::optional<uint64_t> itemIdentifier() const override;

    // The Finder flags whose bits are all set in a 16-bit flags word, in
    // declaration order (fTrash and fDesktop never).
    static std::vector<FinderFlag> finderFlags(int64_t flagsWord);
};

}  // namespace zorv
