#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "data_access/Bytes.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"

namespace zorv::testing {

// A DOS 3.3 disk in DOS order to change sector by sector: by default the
// blank disk (volume 254, HELLO), whose stored sectors a test checks against
// a disk initialised by DOS 3.3 itself.
struct DOS33DiskImage {
    Bytes bytes = DOS33Disk::dos33AsData().toBytes();

    uint8_t* at(int64_t track, int64_t sector, int64_t offset = 0) {
        return bytes.data() + track * DOS33Disk::trackSize + sector * DOS33Disk::sectorSize + offset;
    }
    void put(int64_t track, int64_t sector, int64_t offset, std::initializer_list<uint8_t> values) {
        uint8_t* target = at(track, sector, offset);
        for (const uint8_t value : values) *target++ = value;
    }
    // A catalog entry at a position (0 to 6) of a catalog sector.
    void putEntry(int64_t track, int64_t sector, int64_t position, uint8_t listTrack, uint8_t listSector,
                  uint8_t type, std::string_view name, uint16_t length) {
        uint8_t* entry = at(track, sector, 0x0B + position * 35);
        entry[0] = listTrack;
        entry[1] = listSector;
        entry[2] = type;
        for (size_t index = 0; index < 30; ++index) {
            entry[3 + index] = static_cast<uint8_t>((index < name.size() ? name[index] : ' ') | 0x80);
        }
        entry[33] = static_cast<uint8_t>(length & 0xFF);
        entry[34] = static_cast<uint8_t>(length >> 8);
    }
    // The disk stored in ProDOS block order, as a .po file holds it: DOS
    // sector s of a track is the 256-byte half proDOSHalf[s] of that track.
    Bytes inProDOSOrder() const {
        static constexpr int64_t proDOSHalf[16] = {0, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 15};
        Bytes ordered(bytes.size(), 0);
        for (size_t track = 0; track < bytes.size() / 4096; ++track) {
            for (size_t sector = 0; sector < 16; ++sector) {
                const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(track * 4096 + sector * 256);
                const auto to = static_cast<std::ptrdiff_t>(track * 4096 + static_cast<size_t>(proDOSHalf[sector]) * 256);
                std::copy(from, from + 256, ordered.begin() + to);
            }
        }
        return ordered;
    }
};

}  // namespace zorv::testing
