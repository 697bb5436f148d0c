#include "disk_image/formats/amiga/hard_disk/ADFDiskFileSystemHeader.hpp"

#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"

namespace zorv {
namespace {

constexpr int64_t longSize = 4;
constexpr int64_t serialisedSize = 512;

}  // namespace

ADFDiskFileSystemHeader::ADFDiskFileSystemHeader(const ImageBytes& block) {
    AmigaReaderBlock reader(block.slice(0, readSize));
    id = reader.getPackedString(4);
    sizeInLongs = reader.getLongInteger();
    checksum = reader.getLongInteger();
    hostID = reader.getLongInteger();
    next = reader.getSignedLongInteger();
    flags = reader.getLongInteger();
    reader.offset += 2 * longSize;
    reader.offset += 3;  // the "DOS" of the DOS type
    dosType = reader.getUnsignedByte();
    version = reader.getLongInteger();
    patchFlags = reader.getLongInteger();
    type = reader.getLongInteger();
    task = reader.getLongInteger();
    lock = reader.getLongInteger();
    handler = reader.getLongInteger();
    stackSize = reader.getLongInteger();
    priority = reader.getLongInteger();
    startup = reader.getLongInteger();
    segListBlock = reader.getSignedLongInteger();
    globalVec = reader.getSignedLongInteger();
}

std::vector<Bytes> ADFDiskFileSystemHeader::dataBlockArray() const { return {Bytes(serialisedSize, 0)}; }

}  // namespace zorv
