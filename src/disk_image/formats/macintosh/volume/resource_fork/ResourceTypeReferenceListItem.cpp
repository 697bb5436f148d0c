#include "disk_image/formats/macintosh/volume/resource_fork/ResourceTypeReferenceListItem.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

ResourceTypeReferenceListItem::ResourceTypeReferenceListItem(const ImageBytes& block) {
    HFSReaderBlock reader(block);
    resourceID = reader.getInteger();
    offsetToResourceName = reader.getInteger();
    resourceAttributes = reader.getUnsignedByte();
    const int64_t high = reader.getUnsignedByte();
    offsetFromResourceDataToResource = (high << 16) | reader.getInteger();
    reader.getLongInteger();  // reserved handle
}

const std::string& ResourceTypeReferenceListItem::resourceName() const {
    static const std::string none;
    return name ? *name : none;
}

}  // namespace zorv
