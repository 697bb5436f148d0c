#include "disk_image/formats/macintosh/volume/btree/BTreeHeaderRecord.hpp"

#include <algorithm>

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

BTreeHeaderRecord::BTreeHeaderRecord(const ImageBytes& block) {
    HFSReaderBlock reader(block.slice(0, size));
    treeDepth = reader.getInteger();
    rootNode = reader.getLongInteger();
    leafRecords = reader.getLongInteger();
    firstLeafNode = reader.getLongInteger();
    lastLeafNode = reader.getLongInteger();
    nodeSize = reader.getInteger();
    maxKeyLength = reader.getInteger();
    totalNodes = reader.getLongInteger();
    freeNodes = reader.getLongInteger();
    reserved1 = reader.getInteger();
    clumpSize = reader.getLongInteger();
    btreeType = reader.getUnsignedByte();
    keyCompareType = reader.getUnsignedByte();
    attributes = BTreeHeaderAttribute(static_cast<uint32_t>(reader.getLongInteger()));
    const auto words = reader.getLongIntegerArray(static_cast<int64_t>(reserved3.size()));
    std::copy(words.begin(), words.end(), reserved3.begin());
}

}  // namespace zorv
