#include "disk_image/formats/apple2/dos33/DOS33BlankDisk.hpp"

#include <cstddef>
#include <string_view>

namespace zorv {
namespace {

constexpr size_t sectorSize = 256;
// Offsets within vtocAndCatalog, which starts at track 17 sector 0.
constexpr size_t track17 = 0;
constexpr size_t track18 = 16 * sectorSize;
constexpr size_t catalogTrack = 17;
constexpr size_t firstCatalogSector = 15;
constexpr size_t helloListSector = 15;
constexpr size_t helloDataSector = 14;

constexpr std::array<uint8_t, 7950> freshlyInitialised() {
    std::array<uint8_t, 7950> bytes{};

    // The VTOC.
    uint8_t* vtoc = bytes.data() + track17;
    vtoc[0x00] = 0x04;
    vtoc[0x01] = catalogTrack;
    vtoc[0x02] = firstCatalogSector;
    vtoc[0x03] = 3;     // DOS release
    vtoc[0x06] = 254;   // volume number
    vtoc[0x27] = 122;   // track/sector pairs in a list sector
    vtoc[0x30] = 18;    // last track allocated in
    vtoc[0x31] = 0x01;  // allocating towards higher tracks
    vtoc[0x34] = 35;    // tracks
    vtoc[0x35] = 16;    // sectors per track
    vtoc[0x36] = 0x00;  // bytes per sector, 256
    vtoc[0x37] = 0x01;
    // Bitmaps: a set bit is a free sector, sectors 15 to 8 in the first byte
    // and 7 to 0 in the second.
    for (size_t track = 0; track < 35; ++track) {
        uint8_t* bitmap = vtoc + 0x38 + track * 4;
        const bool wholeTrackUsed = track <= 2 || track == catalogTrack;
        bitmap[0] = wholeTrackUsed ? 0x00 : track == 18 ? 0x3F : 0xFF;  // 18/14 and 18/15 hold HELLO
        bitmap[1] = wholeTrackUsed ? 0x00 : 0xFF;
    }

    // The catalog: sectors 15 down to 1 of track 17, each pointing at the
    // next lower one, sector 1 ending the chain.
    for (size_t sector = 1; sector <= firstCatalogSector; ++sector) {
        uint8_t* catalog = bytes.data() + track17 + sector * sectorSize;
        catalog[0x01] = sector > 1 ? catalogTrack : 0;
        catalog[0x02] = sector > 1 ? static_cast<uint8_t>(sector - 1) : 0;
    }
    // Its one entry: HELLO.
    uint8_t* hello = bytes.data() + track17 + firstCatalogSector * sectorSize + 0x0B;
    hello[0] = 18;  // first list sector
    hello[1] = helloListSector;
    hello[2] = 0x02;  // Applesoft BASIC, not locked
    constexpr std::string_view name = "HELLO";
    for (size_t index = 0; index < 30; ++index) {
        // The Apple II character set: ASCII with bit 7 set, padded with spaces.
        hello[3 + index] = static_cast<uint8_t>((index < name.size() ? name[index] : ' ') | 0x80);
    }
    hello[33] = 2;  // sectors: the list and one of data
    hello[34] = 0;

    // HELLO's data: the program's length (2), then the program, which ends
    // at once (a null link).
    uint8_t* data = bytes.data() + track18 + helloDataSector * sectorSize;
    data[0] = 0x02;
    // HELLO's list: no next list, its one data sector in the first pair. The
    // stored bytes stop after that pair; the rest of the sector is zero.
    uint8_t* list = bytes.data() + track18 + helloListSector * sectorSize;
    list[0x0C] = 18;
    list[0x0D] = helloDataSector;
    return bytes;
}

}  // namespace

constinit const std::array<uint8_t, 7950> DOS33BlankDisk::vtocAndCatalog = freshlyInitialised();

}  // namespace zorv
