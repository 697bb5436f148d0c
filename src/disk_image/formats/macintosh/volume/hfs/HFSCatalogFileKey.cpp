#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileKey.hpp"

#include <algorithm>
#include <string>

#include "data_access/Errors.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

HFSCatalogFileKey::HFSCatalogFileKey(const ImageBytes& data) {
    HFSReaderBlock reader(data);
    keyLength = reader.getUnsignedByte();
    reader.getUnsignedByte();  // reserved
    parentID = reader.getLongInteger();
    const int64_t nameLength = reader.getUnsignedByte();
    if (keyLength < minimumKeyLength) {
        throw ValueOutOfRangeError("HFS catalog key length " + std::to_string(keyLength));
    }
    const ImageBytes name = reader.getDataBlock(std::min(nameLength, reader.remainingLength()));
    nodeName = decodeText(name, TextEncoding::macOSRoman).value_or(std::string());
}

std::vector<Bytes> HFSCatalogFileKey::dataBlockArray() const {
    Bytes head = signedByte(keyLength);
    head.push_back(0);
    return {head, longInteger(parentID), lengthByteString(nodeName, keyLength - minimumKeyLength)};
}

}  // namespace zorv
