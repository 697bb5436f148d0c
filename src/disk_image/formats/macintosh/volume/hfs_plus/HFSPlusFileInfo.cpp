#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFileInfo.hpp"

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

namespace {

// The code's own bytes, so that any four bytes read come back unchanged
// (the text form of OSType would go through Mac OS Roman).
const Bytes& fourBytesOf(const OSType& code) {
    if (code.internalBytes.size() != 4) throw FieldEncodingError("type or creator code is not four bytes");
    return code.internalBytes;
}

}  // namespace

HFSPlusFileInfo::HFSPlusFileInfo(const ImageBytes& data) {
    HFSPlusReaderBlock reader(data.slice(0, size));
    fileType = OSType(reader.getDataBlock(4).view());
    fileCreator = OSType(reader.getDataBlock(4).view());
    finderFlags = reader.getInteger();
    location.v = reader.getInteger();
    location.h = reader.getInteger();
    reservedField = reader.getInteger();
}

std::vector<Bytes> HFSPlusFileInfo::dataBlockArray() const {
    return {fourBytesOf(fileType), fourBytesOf(fileCreator), integer(finderFlags), location.dataBlock(),
            integer(reservedField)};
}

}  // namespace zorv
