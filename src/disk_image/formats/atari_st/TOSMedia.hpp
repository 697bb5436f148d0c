#pragma once

#include <cstdint>

namespace zorv {

// The three floppy kinds a blank Atari ST floppy can be made as. Every one
// has 80 tracks a side, 512-byte sectors, 2 sectors to a cluster, 1 reserved
// sector and 2 FAT copies.
enum class TOSMedia { SSDDFloppy, DSDDFloppy, DSHDFloppy };

// What the writers derive from a medium.
struct TOSMediaLayout {
    int64_t sides;
    int64_t tracksPerSide;
    int64_t sectorsPerTrack;
    int64_t totalSectors;
    int64_t imageSizeInBytes;
    uint8_t mediaByte;
    int64_t rootDirectoryEntries;
    int64_t sectorsPerFAT;
    int64_t fatSizeInBytes;

    static TOSMediaLayout of(TOSMedia media);
};

}  // namespace zorv
