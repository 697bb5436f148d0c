#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/atari_st/TOSBlockable.hpp"
#include "disk_image/formats/atari_st/TOSMedia.hpp"

namespace zorv {

// The first sector of an Atari ST floppy: the BIOS parameter block that
// places everything else on the volume, boot code, and the checksum word
// that makes the sector executable. Integers are little-endian.
struct TOSBootSector : TOSBlockable<TOSBootSector> {
    static constexpr int64_t sectorSize = 512;

    Bytes bra;          // 0, 2 bytes: branch to the boot code
    std::string oem;    // 2, 6 bytes
    Bytes serial;       // 8, 3 bytes
    int64_t bps = 0;    // 11: bytes per sector
    int64_t spc = 0;    // 13: sectors per cluster
    int64_t ressec = 0; // 14: reserved sectors, the boot sector included
    int64_t nfats = 0;  // 16: FAT copies
    int64_t ndirs = 0;  // 17: root directory entries
    int64_t nsects = 0; // 19: sectors on the volume
    int64_t media = 0;  // 21: media descriptor byte
    int64_t spf = 0;    // 22: sectors per FAT copy
    int64_t spt = 0;    // 24: sectors per track
    int64_t nheads = 0; // 26: heads (sides)
    int64_t nhid = 0;   // 28: hidden sectors
    Bytes bootCode;     // 30, 480 bytes
    Bytes checksum;     // 510, 2 bytes
    // Whether the 256 big-endian words of the sector add up to 0x1234, the
    // mark of a sector the ST runs at boot. Worked out on reading only.
    bool isBootable = false;

    // Reads the boot sector from the first 512 bytes of `data`
    // (ReadPastEndError for fewer). Throws TOSBootSectorError::invalidBPS
    // when the bytes per sector are below 512 or not a multiple of 512;
    // nothing else is checked here.
    explicit TOSBootSector(const ImageBytes& data);

    // The boot sector of a new blank floppy: OEM name "ZVZVZV", a random
    // serial number (RandomNumbers), no boot code, not bootable.
    TOSBootSector(TOSMedia media, int64_t blockSize);

    // The sector of the first FAT copy: `ressec`, except that a count of 0
    // is taken as 1. The boot sector is always sector 0 and is part of the
    // count; TOS itself never reads the field and puts the first FAT right
    // after the boot sector, so floppies whose duplicator or formatter left
    // it 0 work on the machine and read the same here.
    int64_t firstFATSector() const { return ressec == 0 ? 1 : ressec; }

    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
