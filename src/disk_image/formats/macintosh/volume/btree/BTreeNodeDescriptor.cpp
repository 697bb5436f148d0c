#include "disk_image/formats/macintosh/volume/btree/BTreeNodeDescriptor.hpp"

#include "data_access/ByteHelpers.hpp"
#include "data_access/Errors.hpp"

namespace zorv {

BTreeNodeDescriptor::BTreeNodeDescriptor(ByteView block) {
    if (block.size() < static_cast<size_t>(size)) {
        throw ReadPastEndError(0, size, static_cast<int64_t>(block.size()));
    }
    fLink = fromLongBigEndian(block.subspan(0, 4));
    bLink = fromLongBigEndian(block.subspan(4, 4));
    kind = bTreeNodeKind(static_cast<int8_t>(block[8]));
    height = block[9];
    numRecords = fromBigEndian(block.subspan(10, 2));
    reserved = fromBigEndian(block.subspan(12, 2));
}

}  // namespace zorv
