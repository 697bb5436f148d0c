#include "disk_image/formats/macintosh/volume/resource_fork/ResourceMap.hpp"

#include <algorithm>

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ResourceHeader.hpp"

namespace zorv {

ResourceMap::ResourceMap(const ImageBytes& block) {
    HFSReaderBlock reader(block);
    // The header copy, the handle of the next map and the file reference
    // number mean something only in memory.
    reader.getDataBlock(ResourceHeader::size);
    reader.getLongInteger();
    reader.getInteger();
    resourceForkAttributes = reader.getInteger();
    offsetToTypeList = reader.getInteger();
    offsetToNameList = reader.getInteger();
    numOfTypesInMapMinus1 = reader.getInteger();
    if (numOfTypesInMapMinus1 == noTypes) return;

    const int64_t present = reader.remainingLength() / ResourceTypeListItem::size;
    const int64_t count = std::min(numOfTypesInMapMinus1 + 1, present);
    typeList.reserve(static_cast<size_t>(count));
    for (int64_t k = 0; k < count; ++k)
        typeList.emplace_back(reader.getDataBlock(ResourceTypeListItem::size));
}

}  // namespace zorv
