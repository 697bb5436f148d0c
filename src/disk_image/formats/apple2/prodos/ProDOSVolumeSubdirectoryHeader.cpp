#include "disk_image/formats/apple2/prodos/ProDOSVolumeSubdirectoryHeader.hpp"

#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSName.hpp"

namespace zorv {

ProDOSVolumeSubdirectoryHeader::ProDOSVolumeSubdirectoryHeader(const ImageBytes& block) {
    AppleIIReaderBlock reader(block.slice(0, entrySize));
    const int64_t typeAndLength = reader.getUnsignedByte();
    storageType = proDOSStorageTypeOrDeleted(typeAndLength >> 4);
    nameLength = typeAndLength & 0x0F;
    subdirName = proDOSName(reader.getDataBlock(proDOSNameFieldLength), nameLength);
    reader.offset += 8;  // reserved
    creationDate = reader.getDateFromProDOSIntegerValue();
    version = reader.getUnsignedByte();
    minVersion = reader.getUnsignedByte();
    access = reader.getUnsignedByte();
    entryLength = reader.getUnsignedByte();
    entriesPerBlock = reader.getUnsignedByte();
    fileCount = reader.getInteger();
    parentPointer = reader.getInteger();
    parentEntry = reader.getUnsignedByte();
    parentEntryLength = reader.getUnsignedByte();
}

}  // namespace zorv
