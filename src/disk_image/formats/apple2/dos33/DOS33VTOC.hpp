#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/apple2/AppleIIBlockable.hpp"

namespace zorv {

// The volume table of contents of a DOS 3.3 disk, track 17 sector 0: where
// the catalog starts, the volume number, the disk's geometry and one
// allocation bitmap per track.
//
// On disk (256 bytes): byte 0x01 and 0x02 the track and sector of the first
// catalog sector, 0x03 the DOS release that formatted the disk, 0x06 the
// volume number, 0x27 the track/sector pairs a list sector holds, 0x30 the
// last track DOS allocated in and 0x31 the direction it moves in (a signed
// byte), 0x34 the tracks per disk, 0x35 the sectors per track, 0x36 the
// bytes per sector (little-endian 16-bit), then from 0x38 four bytes of
// bitmap per track. Nothing here interprets the bitmaps (the disk counts
// its free sectors from them), the pair count or the allocation fields:
// they are kept as read.
//
// Read only: its encoding is 256 zero bytes.
struct DOS33VTOC : AppleIIBlockable<DOS33VTOC> {
    static constexpr int64_t encodedSize = 256;
    static constexpr int64_t bitmapsOffset = 0x38;
    static constexpr int64_t bitmapSize = 4;
    // The bitmaps a sector has room for after the fixed fields; a larger
    // track count does not make the table run into the next sector.
    static constexpr int64_t maximumBitmaps = (encodedSize - bitmapsOffset) / bitmapSize;

    int64_t trackNumberFirstCatalog = 0;
    int64_t sectorNumberFirstCatalog = 0;
    int64_t initDOSReleaseNumber = 0;
    int64_t disketteVolumeNumber = 0;
    int64_t maxNumTrackSectorPair = 0;
    int64_t lastAllocatedTrack = 0;
    int64_t trackAllocationDirection = 0;  // +1 or -1 on a disk DOS wrote
    int64_t numTracksPerDisk = 0;
    int64_t numSectorsPerTrack = 0;
    int64_t numBytesPerSector = 0;
    // One 4-byte bitmap per track in track order: numTracksPerDisk of them,
    // at most maximumBitmaps.
    std::vector<ImageBytes> bitmaps;

    DOS33VTOC() = default;
    // Reads the fields from the 256 bytes of the sector. Throws
    // ReadPastEndError for fewer than 0x38 bytes, or for fewer than the
    // bitmaps need.
    explicit DOS33VTOC(const ImageBytes& block);

    std::vector<Bytes> dataBlockArray() const { return {Bytes(encodedSize, 0)}; }
};

}  // namespace zorv
