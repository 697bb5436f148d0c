#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtendedFolderInfo.hpp"

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusExtendedFolderInfo::HFSPlusExtendedFolderInfo(const ImageBytes& data) {
    HFSPlusReaderBlock reader(data.slice(0, size));
    scrollPosition.v = reader.getInteger();
    scrollPosition.h = reader.getInteger();
    reserved1 = reader.getLongInteger();
    extendedFinderFlags = reader.getInteger();
    reserved2 = reader.getInteger();
    putAwayFolderID = reader.getLongInteger();
}

std::vector<Bytes> HFSPlusExtendedFolderInfo::dataBlockArray() const {
    return {scrollPosition.dataBlock(), longInteger(reserved1), integer(extendedFinderFlags), integer(reserved2),
            longInteger(putAwayFolderID)};
}

}  // namespace zorv
