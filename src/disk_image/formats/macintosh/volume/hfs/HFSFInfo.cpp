#include "disk_image/formats/macintosh/volume/hfs/HFSFInfo.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

HFSFInfo::HFSFInfo(const ImageBytes& data) {
    HFSReaderBlock reader(data.slice(0, size));
    fdType = OSType(reader.getDataBlock(4).view());
    fdCreator = OSType(reader.getDataBlock(4).view());
    fdFlags = reader.getInteger();
    fdLocation.v = reader.getInteger();
    fdLocation.h = reader.getInteger();
    fdFldr = reader.getInteger();
}

std::vector<Bytes> HFSFInfo::dataBlockArray() const {
    return {fdType.dataBlock(), fdCreator.dataBlock(), integer(fdFlags), fdLocation.dataBlock(), integer(fdFldr)};
}

}  // namespace zorv
