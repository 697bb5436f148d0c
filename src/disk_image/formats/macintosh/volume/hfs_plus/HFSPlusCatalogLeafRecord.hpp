#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogKey.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafData.hpp"

namespace zorv {

// One leaf record of the HFS+ catalog: its key and its body. It is the item
// an HFS+ volume hands out for each of its files and folders. `blockSize` is
// the volume's allocation block size, the one a file record's forks carry;
// it is not written.
struct HFSPlusCatalogLeafRecord : HFSPlusBlockable<HFSPlusCatalogLeafRecord> {
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
};

}  // namespace zorv
