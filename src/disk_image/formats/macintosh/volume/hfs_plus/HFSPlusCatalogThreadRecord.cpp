#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogThreadRecord.hpp"

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusCatalogThreadRecord::HFSPlusCatalogThreadRecord(const ImageBytes& data) {
    HFSPlusReaderBlock reader(data);
    reserved = reader.getInteger();
    parentID = reader.getLongInteger();
    // Nothing is read after the name, so the width passed only moves the
    // cursor; the count and the units it names must be present.
    nodeName = reader.getLengthByteString(255);
}

std::vector<Bytes> HFSPlusCatalogThreadRecord::dataBlockArray() const {
    return {integer(reserved), longInteger(parentID), HFSPlusReaderBlock::unicodeName(nodeName)};
}

}  // namespace zorv
