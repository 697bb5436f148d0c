#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafData.hpp"

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

std::optional<HFSPlusCatalogLeafData::LeafType> HFSPlusCatalogLeafData::leafTypeFromRawValue(int64_t rawValue) {
    if (rawValue < 1 || rawValue > 4) return std::nullopt;
    return static_cast<LeafType>(rawValue);
}

HFSPlusCatalogLeafData::HFSPlusCatalogLeafData(const ImageBytes& data, int64_t blockSize) {
    HFSPlusReaderBlock reader(data);
    const int64_t recordType = reader.getInteger();
    const ImageBytes body = reader.getRemainingData();
    switch (leafTypeFromRawValue(recordType).value_or(LeafType::fileThread)) {
        case LeafType::directory:
            leafType = LeafType::directory;
            record = HFSPlusFolderRecord(body);
            break;
        case LeafType::file:
            leafType = LeafType::file;
            record = HFSPlusFileRecord(body, blockSize);
            break;
        case LeafType::directoryThread:
            leafType = LeafType::directoryThread;
            record = HFSPlusCatalogThreadRecord(body);
            break;
        case LeafType::fileThread:
            leafType = LeafType::fileThread;
            record = HFSPlusCatalogThreadRecord(body);
            break;
    }
}

std::vector<Bytes> HFSPlusCatalogLeafData::dataBlockArray() const {
    Bytes recordBytes = std::visit([](const auto& payload) { return payload.dataBlock(); }, record);
    return {integer(static_cast<int64_t>(leafType)), std::move(recordBytes)};
}

}  // namespace zorv
