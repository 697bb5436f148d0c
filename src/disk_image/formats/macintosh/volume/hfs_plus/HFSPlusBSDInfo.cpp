#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBSDInfo.hpp"

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusBSDInfo::HFSPlusBSDInfo(const ImageBytes& block) {
    HFSPlusReaderBlock reader(block.slice(0, size));
    ownerID = reader.getLongInteger();
    groupID = reader.getLongInteger();
    adminFlags = reader.getUnsignedByte();
    ownerFlags = reader.getUnsignedByte();
    fileMode = reader.getInteger();
}

std::vector<Bytes> HFSPlusBSDInfo::dataBlockArray() const {
    return {longInteger(ownerID), longInteger(groupID), signedByte(adminFlags),
            signedByte(ownerFlags), integer(fileMode), Bytes(4, 0)};
}

}  // namespace zorv
