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
    reader.getUnsignedByte();  // the name's length: the key must hold it
    if (keyLength < minimumKeyLength) {
        throw ValueOutOfRangeError("HFS catalog key length " + std::to_string(keyLength));
    }
    nodeName = nodeNameOf(data);
}

std::string HFSCatalogFileKey::nodeNameOf(ByteView data) {
    std::string name;
    writeNodeNameOf(data, name);
    return name;
}

void HFSCatalogFileKey::writeNodeNameOf(ByteView data, std::string& into) {
    decodeMacOSRoman(nodeNameBytesOf(data), into);
}

ByteView HFSCatalogFileKey::nodeNameBytesOf(ByteView data) {
    // After the length byte, the reserved byte, the parent ID: the name's
    // length byte, then at most that many bytes inside the key.
    constexpr size_t nameStart = 7;
    const size_t available = data.size() - nameStart;
    return data.subspan(nameStart, std::min<size_t>(data[nameStart - 1], available));
}

std::vector<Bytes> HFSCatalogFileKey::dataBlockArray() const {
    Bytes head = signedByte(keyLength);
    head.push_back(0);
    return {head, longInteger(parentID), lengthByteString(nodeName, keyLength - minimumKeyLength)};
}

}  // namespace zorv
