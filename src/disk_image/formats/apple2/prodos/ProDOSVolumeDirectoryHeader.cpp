#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeader.hpp"

#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSName.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeaderError.hpp"

namespace zorv {

ProDOSVolumeDirectoryHeader::ProDOSVolumeDirectoryHeader(const ImageBytes& block) {
    AppleIIReaderBlock reader(block.slice(0, entrySize));
    const int64_t typeAndLength = reader.getUnsignedByte();
    if (proDOSStorageType(typeAndLength >> 4) != ProDOSStorageType::volumeDirectoryHeader) {
        throw ProDOSVolumeDirectoryHeaderError(ProDOSVolumeDirectoryHeaderError::Case::invalidStorageType);
    }
    nameLength = typeAndLength & 0x0F;
    const ImageBytes nameField = reader.getDataBlock(proDOSNameFieldLength);
    if (!isASCIINameField(nameField)) {
        throw ProDOSVolumeDirectoryHeaderError(ProDOSVolumeDirectoryHeaderError::Case::nonASCIIName);
    }
    name = proDOSName(nameField, nameLength);
    reader.offset += 8;  // reserved
    creationDate = reader.getDateFromProDOSIntegerValue();
    version = reader.getUnsignedByte();
    minVersion = reader.getUnsignedByte();
    access = reader.getUnsignedByte();
    entryLength = reader.getUnsignedByte();
    entriesPerBlock = reader.getUnsignedByte();
    fileCount = reader.getInteger();
    bitmapPointer = reader.getInteger();
    totalBlocks = reader.getInteger();
}

std::vector<Bytes> ProDOSVolumeDirectoryHeader::dataBlockArray() const {
    return {
            signedByte(rawValue(storageType) * 16 + (nameLength & 0x0F)),
            packedString(name, proDOSNameFieldLength),
            Bytes(8, 0),
            Bytes(4, 0),
            signedByte(version),
            signedByte(minVersion),
            signedByte(access),
            signedByte(entryLength),
            signedByte(entriesPerBlock),
            integer(fileCount),
            integer(bitmapPointer),
            integer(totalBlocks),
            Bytes(static_cast<size_t>(encodedSize - entrySize), 0),
    };
}

}  // namespace zorv
