#include "disk_image/formats/atari_st/tos/TOSBootSector.hpp"

#include "disk_image/formats/atari_st/FATReaderBlock.hpp"
#include "disk_image/formats/atari_st/tos/TOSBootSectorError.hpp"
#include "platform/RandomNumbers.hpp"

namespace zorv {
namespace {

constexpr int64_t bootCodeLength = 480;
constexpr uint16_t executableChecksum = 0x1234;

bool sumsToExecutable(const ImageBytes& sector) {
    uint16_t sum = 0;
    for (size_t at = 0; at + 1 < static_cast<size_t>(TOSBootSector::sectorSize); at += 2) {
        sum = static_cast<uint16_t>(sum + (sector[at] << 8 | sector[at + 1]));
    }
    return sum == executableChecksum;
}

}  // namespace

TOSBootSector::TOSBootSector(const ImageBytes& data) {
    const ImageBytes sector = data.slice(0, sectorSize);
    FATReaderBlock reader(sector);
    bra = reader.getDataBlock(2).toBytes();
    oem = reader.getPackedString(6);
    serial = reader.getDataBlock(3).toBytes();
    bps = reader.getInteger();
    if (bps < sectorSize || bps % sectorSize != 0) throw TOSBootSectorError(TOSBootSectorError::Case::invalidBPS);
    spc = reader.getUnsignedByte();
    ressec = reader.getInteger();
    nfats = reader.getUnsignedByte();
    ndirs = reader.getInteger();
    nsects = reader.getInteger();
    media = reader.getUnsignedByte();
    spf = reader.getInteger();
    spt = reader.getInteger();
    nheads = reader.getInteger();
    nhid = reader.getInteger();
    bootCode = reader.getDataBlock(bootCodeLength).toBytes();
    checksum = reader.getDataBlock(2).toBytes();
    isBootable = sumsToExecutable(sector);
}

TOSBootSector::TOSBootSector(TOSMedia medium, int64_t blockSize) {
    const TOSMediaLayout layout = TOSMediaLayout::of(medium);
    bra = {0xE9, 0x00};
    oem = "ZVZVZV";
    const uint32_t random = RandomNumbers::uniform32();
    serial = {static_cast<uint8_t>(random), static_cast<uint8_t>(random >> 8), static_cast<uint8_t>(random >> 16)};
    bps = blockSize;
    spc = 2;
    ressec = 1;
    nfats = 2;
    ndirs = layout.rootDirectoryEntries;
    nsects = layout.totalSectors;
    media = layout.mediaByte;
    spf = layout.sectorsPerFAT;
    spt = layout.sectorsPerTrack;
    nheads = layout.sides;
    nhid = 0;
    bootCode = Bytes(bootCodeLength, 0);
    checksum = {0, 0};
    isBootable = false;
}

std::vector<Bytes> TOSBootSector::dataBlockArray() const {
    return {bra,
            packedString(oem, 6),
            serial,
            integer(bps),
            signedByte(spc),
            integer(ressec),
            signedByte(nfats),
            integer(ndirs),
            integer(nsects),
            signedByte(media),
            integer(spf),
            integer(spt),
            integer(nheads),
            integer(nhid),
            bootCode,
            checksum};
}

}  // namespace zorv
