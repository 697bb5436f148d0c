#include "disk_image/formats/macintosh/volume/hfs/HFSDXInfo.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

HFSDXInfo::HFSDXInfo(const ImageBytes& data) {
    HFSReaderBlock reader(data.slice(0, size));
    frScroll.v = reader.getInteger();
    frScroll.h = reader.getInteger();
    frOpenChain = reader.getLongInteger();
    frScript = reader.getUnsignedByte();
    frXFlags = reader.getUnsignedByte();
    frComment = reader.getInteger();
    frPutAway = reader.getLongInteger();
}

std::vector<Bytes> HFSDXInfo::dataBlockArray() const {
    return {frScroll.dataBlock(), longInteger(frOpenChain), signedByte(frScript),
            signedByte(frXFlags), integer(frComment),       longInteger(frPutAway)};
}

}  // namespace zorv
