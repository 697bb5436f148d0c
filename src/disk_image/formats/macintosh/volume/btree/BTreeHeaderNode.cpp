#include "disk_image/formats/macintosh/volume/btree/BTreeHeaderNode.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

BTreeHeaderNode::BTreeHeaderNode(const ImageBytes& block) {
    HFSReaderBlock reader(block.slice(0, size));
    descriptor = BTreeNodeDescriptor(reader.getDataBlock(BTreeNodeDescriptor::size));
    headerRecord = BTreeHeaderRecord(reader.getDataBlock(BTreeHeaderRecord::size));
    userDataRecord = reader.getDataBlock(128);
    mapRecord = reader.getDataBlock(256);
    for (auto& recordOffset : recordOffsets) recordOffset = reader.getInteger();
}

}  // namespace zorv
