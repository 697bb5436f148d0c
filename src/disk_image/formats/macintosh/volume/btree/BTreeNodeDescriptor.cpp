#include "disk_image/formats/macintosh/volume/btree/BTreeNodeDescriptor.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

BTreeNodeDescriptor::BTreeNodeDescriptor(const ImageBytes& block) {
    HFSReaderBlock reader(block);
    fLink = reader.getLongInteger();
    bLink = reader.getLongInteger();
    kind = bTreeNodeKind(reader.getSignedByte());
    height = reader.getUnsignedByte();
    numRecords = reader.getInteger();
    reserved = reader.getInteger();
}

}  // namespace zorv
