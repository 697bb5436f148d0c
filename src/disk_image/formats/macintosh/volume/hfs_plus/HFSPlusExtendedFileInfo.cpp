#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtendedFileInfo.hpp"

#include <algorithm>

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusExtendedFileInfo::HFSPlusExtendedFileInfo(const ImageBytes& data) {
    HFSPlusReaderBlock reader(data.slice(0, size));
    const auto reserved = reader.getIntegerArray(4);
    std::copy(reserved.begin(), reserved.end(), reserved1.begin());
    extendedFinderFlags = reader.getInteger();
    reserved2 = reader.getInteger();
    putAwayFolderID = reader.getLongInteger();
}

std::vector<Bytes> HFSPlusExtendedFileInfo::dataBlockArray() const {
    return {integerArray(reserved1), integer(extendedFinderFlags), integer(reserved2), longInteger(putAwayFolderID)};
}

}  // namespace zorv
