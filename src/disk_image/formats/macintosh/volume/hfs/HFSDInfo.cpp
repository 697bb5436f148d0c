#include "disk_image/formats/macintosh/volume/hfs/HFSDInfo.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

HFSDInfo::HFSDInfo(const ImageBytes& data) {
    HFSReaderBlock reader(data.slice(0, size));
    frRect = Rect(reader.getDataBlock(8));
    frFlags = reader.getInteger();
    frLocation.v = reader.getInteger();
    frLocation.h = reader.getInteger();
    frView = reader.getInteger();
}

std::vector<Bytes> HFSDInfo::dataBlockArray() const {
    return {frRect.dataBlock(), integer(frFlags), frLocation.dataBlock(), integer(frView)};
}

}  // namespace zorv
