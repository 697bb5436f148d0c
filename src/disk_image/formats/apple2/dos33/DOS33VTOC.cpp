#include "disk_image/formats/apple2/dos33/DOS33VTOC.hpp"

#include <algorithm>

#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"

namespace zorv {

DOS33VTOC::DOS33VTOC(const ImageBytes& block) {
    AppleIIReaderBlock reader(block);
    reader.offset = 0x01;
    trackNumberFirstCatalog = reader.getUnsignedByte();
    sectorNumberFirstCatalog = reader.getUnsignedByte();
    initDOSReleaseNumber = reader.getUnsignedByte();
    reader.offset = 0x06;
    disketteVolumeNumber = reader.getUnsignedByte();
    reader.offset = 0x27;
    maxNumTrackSectorPair = reader.getUnsignedByte();
    reader.offset = 0x30;
    lastAllocatedTrack = reader.getUnsignedByte();
    trackAllocationDirection = reader.getSignedByte();
    reader.offset = 0x34;
    numTracksPerDisk = reader.getUnsignedByte();
    numSectorsPerTrack = reader.getUnsignedByte();
    numBytesPerSector = reader.getInteger();
    const int64_t count = std::min(numTracksPerDisk, maximumBitmaps);
    bitmaps.reserve(static_cast<size_t>(count));
    for (int64_t track = 0; track < count; ++track) bitmaps.push_back(reader.getDataBlock(bitmapSize));
}

}  // namespace zorv
