#include "disk_image/formats/macintosh/volume/hfs/HFSFXInfo.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

HFSFXInfo::HFSFXInfo(const ImageBytes& data) {
    HFSReaderBlock reader(data.slice(0, size));
    fdIconID = reader.getInteger();
    for (auto& word : fdUnused) word = reader.getInteger();
    fdScript = reader.getUnsignedByte();
    fdXFlags = reader.getUnsignedByte();
    fdComment = reader.getInteger();
    fdPutAway = reader.getLongInteger();
}

std::vector<Bytes> HFSFXInfo::dataBlockArray() const {
    return {integer(fdIconID),    integerArray(fdUnused), signedByte(fdScript),
            signedByte(fdXFlags), integer(fdComment),     longInteger(fdPutAway)};
}

}  // namespace zorv
