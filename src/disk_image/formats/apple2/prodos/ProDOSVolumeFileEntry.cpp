#include "disk_image/formats/apple2/prodos/ProDOSVolumeFileEntry.hpp"

#include <cstdio>

#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSFileType.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSName.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeError.hpp"

namespace zorv {
namespace {

// Three bytes, little-endian.
int64_t getEndOfFile(AppleIIReaderBlock& reader) {
    const int64_t low = reader.getInteger();
    return low + reader.getUnsignedByte() * 65536;
}

}  // namespace

ProDOSVolumeFileEntry::MiniEntry::MiniEntry(const ImageBytes& block) {
    AppleIIReaderBlock reader(block.slice(0, 8));
    storageType = proDOSStorageTypeOrDeleted(reader.getUnsignedByte() & 0x0F);
    keyPointer = reader.getInteger();
    blocksUsed = reader.getInteger();
    eof = getEndOfFile(reader);
}

ProDOSVolumeFileEntry::ProDOSVolumeFileEntry(const ImageBytes& block, const ProDOSDisk* disk) {
    AppleIIReaderBlock reader(block.slice(0, entrySize));
    const int64_t typeAndLength = reader.getUnsignedByte();
    storageType = proDOSStorageTypeOrDeleted(typeAndLength >> 4);
    nameLength = typeAndLength & 0x0F;
    fileName = proDOSName(reader.getDataBlock(proDOSNameFieldLength), nameLength);
    internalFileType = reader.getUnsignedByte();
    keyPointer = reader.getInteger();
    blocksUsed = reader.getInteger();
    eof = getEndOfFile(reader);
    creaDate = reader.getDateFromProDOSIntegerValue();
    version = reader.getUnsignedByte();
    minVersion = reader.getUnsignedByte();
    access = reader.getUnsignedByte();
    auxType = reader.getInteger();
    lastMod = reader.getDateFromProDOSIntegerValue();
    headerPointer = reader.getInteger();

    if (storageType != ProDOSStorageType::extendedFile) return;
    if (disk == nullptr) throw ProDOSVolumeError(ProDOSVolumeError::Case::diskNotFound);
    // A key block beyond the image leaves both forks out; reading the file
    // then fails (ProDOSVolume::getFork).
    if (!disk->hasProDOSBlock(keyPointer)) return;
    const ImageBytes keyBlock = disk->getProDOSBlock(keyPointer);
    dataFork = MiniEntry(keyBlock.slice(0, MiniEntry::encodedSize));
    resourceFork = MiniEntry(keyBlock.slice(MiniEntry::encodedSize, MiniEntry::encodedSize));
}

ProDOSVolumeFileEntry ProDOSVolumeFileEntry::forFork(const MiniEntry& fork) {
    ProDOSVolumeFileEntry entry;
    entry.storageType = fork.storageType;
    entry.keyPointer = fork.keyPointer;
    entry.blocksUsed = fork.blocksUsed;
    entry.eof = fork.eof;
    entry.creaDate = Date::now();
    entry.lastMod = entry.creaDate;
    return entry;
}

std::optional<int64_t> ProDOSVolumeFileEntry::logicalSizeInBytes() const {
    if (isExtendedFileWithForks()) return dataFork->eof + resourceFork->eof;
    return eof;
}

std::optional<int64_t> ProDOSVolumeFileEntry::physicalSizeInBytes() const {
    if (isExtendedFileWithForks()) return (dataFork->blocksUsed + resourceFork->blocksUsed) * 512;
    return blocksUsed * 512;
}

std::optional<std::string> ProDOSVolumeFileEntry::kind() const {
    return ProDOSFileType(internalFileType, auxType).description();
}

std::optional<OSType> ProDOSVolumeFileEntry::type() const {
    const bool text = internalFileType == 0x04 || internalFileType == 0xFC;
    return OSType(text ? Bytes{'T', 'E', 'X', 'T'} : Bytes{'?', '?', '?', '?'});
}

std::string ProDOSVolumeFileEntry::fileExtension() const {
    return ProDOSFileType(internalFileType, auxType).fileExtension();
}

std::optional<std::string> ProDOSVolumeFileEntry::otherInfo() const {
    char text[40];
    std::snprintf(text, sizeof text, "File type: $%02X\nAuxilliary: $%04X", static_cast<unsigned>(internalFileType),
                  static_cast<unsigned>(auxType));
    return std::string(text);
}

std::optional<uint64_t> ProDOSVolumeFileEntry::itemIdentifier() const {
    return static_cast<uint64_t>(entryBlock) << 8 | static_cast<uint64_t>(entryIndex);
}

}  // namespace zorv
