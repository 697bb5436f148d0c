#include "disk_image/formats/macintosh/volume/resource_fork/ResourceHeader.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

ResourceHeader::ResourceHeader(const ImageBytes& block) {
    HFSReaderBlock reader(block);
    offsetToResourceData = reader.getLongInteger();
    offsetToResourceMap = reader.getLongInteger();
    lengthOfResourceData = reader.getLongInteger();
    lengthOfResourceMap = reader.getLongInteger();
}

}  // namespace zorv
