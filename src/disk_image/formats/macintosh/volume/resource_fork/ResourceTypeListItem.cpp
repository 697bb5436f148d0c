#include "disk_image/formats/macintosh/volume/resource_fork/ResourceTypeListItem.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

ResourceTypeListItem::ResourceTypeListItem(const ImageBytes& block) {
    HFSReaderBlock reader(block);
    resourceType = reader.getPackedString(4);
    numOfThisTypeInMapMinus1 = reader.getInteger();
    offsetToReferenceList = reader.getInteger();
}

}  // namespace zorv
