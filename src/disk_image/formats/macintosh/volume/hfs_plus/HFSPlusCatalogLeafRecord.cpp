#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafRecord.hpp"

namespace zorv {

HFSPlusCatalogLeafRecord::HFSPlusCatalogLeafRecord(const ImageBytes& keyBytes, const ImageBytes& body,
                                                   int64_t blockSize)
    : key(keyBytes), data(body, blockSize), blockSize(blockSize) {}

}  // namespace zorv
