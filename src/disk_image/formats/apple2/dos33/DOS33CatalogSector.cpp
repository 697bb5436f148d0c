#include "disk_image/formats/apple2/dos33/DOS33CatalogSector.hpp"

#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"

namespace zorv {

DOS33CatalogSector::DOS33CatalogSector(const ImageBytes& block) {
    AppleIIReaderBlock reader(block);
    reader.offset = 0x01;
    nextCatalogTrack = reader.getUnsignedByte();
    nextCatalogSector = reader.getUnsignedByte();
    for (int64_t position = 0; position < entriesPerSector; ++position) {
        reader.offset = entriesOffset + position * DOS33FileDescriptiveEntry::entrySize;
        const ImageBytes bytes = reader.getDataBlock(DOS33FileDescriptiveEntry::entrySize);
        if (bytes[0] == 0) continue;
        catalogEntries.emplace_back(bytes);
    }
}

}  // namespace zorv
