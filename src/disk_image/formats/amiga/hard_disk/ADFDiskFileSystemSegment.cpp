#include "disk_image/formats/amiga/hard_disk/ADFDiskFileSystemSegment.hpp"

#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"

namespace zorv {

ADFDiskFileSystemSegment::ADFDiskFileSystemSegment(const ImageBytes& block) {
    AmigaReaderBlock reader(block.slice(0, loadDataOffset + loadDataSize));
    id = reader.getPackedString(4);
    sizeInLongs = reader.getLongInteger();
    checksum = reader.getLongInteger();
    hostID = reader.getLongInteger();
    next = reader.getSignedLongInteger();
    loadData = reader.getDataBlock(loadDataSize);
}

}  // namespace zorv
