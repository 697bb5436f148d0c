#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafRecord.hpp"

namespace zorv {

HFSCatalogLeafRecord::HFSCatalogLeafRecord(const BTreeNodeRecord& record) : key(record.recordKey) {
    const bool hasPadByte = record.keyLength % 2 == 0 && !record.recordData.empty();
    data = HFSCatalogLeafData(hasPadByte ? record.recordData.sliceFrom(1) : record.recordData);
}

std::vector<Bytes> HFSCatalogLeafRecord::dataBlockArray() const {
    std::vector<Bytes> chunks{key.dataBlock()};
    if (key.keyLength % 2 == 0) chunks.push_back(Bytes{0});
    chunks.push_back(data.dataBlock());
    return chunks;
}

}  // namespace zorv
