#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentsOverflowFileKey.hpp"

#include <string_view>

#include "data_access/FieldEncoder.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

std::optional<HFSPlusExtentsOverflowFileKey::ForkType> HFSPlusExtentsOverflowFileKey::forkTypeFromRawValue(
    int64_t rawValue) {
    switch (rawValue) {
        case 0: return ForkType::data;
        case 255: return ForkType::resource;
        case 256: return ForkType::unknown;
        default: return std::nullopt;
    }
}

HFSPlusExtentsOverflowFileKey::HFSPlusExtentsOverflowFileKey(const ImageBytes& keyBytes) {
    HFSPlusReaderBlock reader(keyBytes.slice(0, size));
    keyLength = reader.getInteger();
    const int64_t forkByte = reader.getUnsignedByte();
    forkType = forkByte == 0x00 ? ForkType::data : forkByte == 0xFF ? ForkType::resource : ForkType::unknown;
    pad = reader.getUnsignedByte();
    fileID = reader.getLongInteger();
    startBlock = reader.getLongInteger();
}

uint8_t HFSPlusExtentsOverflowFileKey::forkTypeByte() const {
    switch (forkType) {
        case ForkType::data: return 0x00;
        case ForkType::resource: return 0xFF;
        case ForkType::unknown: return unknownForkTypeByte;
    }
    return unknownForkTypeByte;
}

Bytes HFSPlusExtentsOverflowFileKey::keyOnly() const {
    return joinChunks({Bytes{forkTypeByte()}, longInteger(fileID), longInteger(startBlock)});
}

std::vector<Bytes> HFSPlusExtentsOverflowFileKey::dataBlockArray() const {
    return {integer(keyLength), Bytes{forkTypeByte()}, signedByte(pad), longInteger(fileID), longInteger(startBlock)};
}

}  // namespace zorv

size_t std::hash<zorv::HFSPlusExtentsOverflowFileKey>::operator()(
    const zorv::HFSPlusExtentsOverflowFileKey& key) const noexcept {
    try {
        const zorv::Bytes bytes = key.keyOnly();
        return std::hash<std::string_view>()(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (...) {
        // A key whose numbers do not fit their fields has no stored form.
        return 0;
    }
}
