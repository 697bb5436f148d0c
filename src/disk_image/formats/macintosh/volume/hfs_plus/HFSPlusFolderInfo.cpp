#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFolderInfo.hpp"

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusFolderInfo::HFSPlusFolderInfo(const ImageBytes& data) {
    HFSPlusReaderBlock reader(data.slice(0, size));
    windowBounds = Rect(reader.getDataBlock(8));
    finderFlags = reader.getInteger();
    location.v = reader.getInteger();
    location.h = reader.getInteger();
    reservedField = reader.getInteger();
}

std::vector<Bytes> HFSPlusFolderInfo::dataBlockArray() const {
    return {windowBounds.dataBlock(), integer(finderFlags), location.dataBlock(), integer(reservedField)};
}

}  // namespace zorv
