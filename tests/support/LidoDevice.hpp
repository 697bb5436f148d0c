#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "data_access/Bytes.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "support/SyntheticHfsVolume.hpp"

namespace zorv::testing {

// A device of 3,000 blocks with the Lido driver (the catalog's stand-in) at
// block 64 and four partitions besides: ProDOS (600 blocks), MFS (400), an
// HFS volume made without any tool, and A/UX (20). Every byte outside
// block 0, the map's entries, the driver's 32 blocks and the HFS volume is a
// pattern, so that a byte a rewrite should leave alone shows when it
// changes. Two fields that a Lido replacement rewrites hold other values
// than it writes: pmLgDataStart of the map's own entry is 0x2A and the
// low-order status byte of the HFS entry is 0x33.
struct LidoDevice {
    static constexpr int64_t blockSize = 512;
    static constexpr int64_t blockCount = 3000;
    static constexpr int64_t driverStart = 64;
    static constexpr int64_t driverBlocks = 32;
    // In an entry's block: the partition's size, pmLgDataStart, the
    // low-order byte of pmPartStatus, the type.
    static constexpr int64_t sizeOffset = 12;
    static constexpr int64_t logicalDataStartOffset = 80;
    static constexpr int64_t statusLowByteOffset = 91;
    static constexpr int64_t typeOffset = 48;

    Bytes image;
    int64_t entryCount = 0;
    // The blocks of the map that hold these entries.
    int64_t driverEntryBlock = 0;
    int64_t hfsEntryBlock = 0;
    int64_t proDOSEntryBlock = 0;
    int64_t auxEntryBlock = 0;
    int64_t hfsStart = 0;
    int64_t hfsBlocks = 0;
    int64_t auxStart = 0;

    static uint64_t bigEndian(const uint8_t* bytes, int count) {
        uint64_t value = 0;
        for (int index = 0; index < count; ++index) value = value << 8 | bytes[index];
        return value;
    }

    // The type text of the entry in that block.
    std::string entryType(int64_t entryBlock) const { return typeAt(image, entryBlock); }
    static std::string typeAt(const Bytes& image, int64_t entryBlock) {
        const auto* start = reinterpret_cast<const char*>(image.data() + entryBlock * blockSize + typeOffset);
        return std::string(start, std::find(start, start + 32, '\0'));
    }
    void setEntryType(int64_t entryBlock, const std::string& type) {
        auto field = image.begin() + entryBlock * blockSize + typeOffset;
        std::fill_n(field, 32, uint8_t{0});
        std::copy(type.begin(), type.end(), field);
    }

    static LidoDevice make() {
        SyntheticHfsVolume hfs;
        hfs.volumeName = "Lido HFS";
        hfs.freeBlocks = 40;
        SyntheticHfsVolume::File note;
        note.name = "Note";
        note.fileID = 16;
        note.dataFork = Bytes(700, 'n');
        hfs.files.push_back(note);
        const Bytes hfsBytes = hfs.build();

        auto creator = MacintoshImageCreator::withCapacityInBlocks(URL::fileURLWithPath("/tmp/never-written.hda"),
                                                                   blockCount);
        creator.partition({VolumeDescriptor::fromExistingData("Lido HFS", 0, ImageBytes(hfsBytes), VolumeType::hfs),
                           VolumeDescriptor::newBlankVolume("Apple II", 0, 600, VolumeType::proDOS),
                           VolumeDescriptor::newBlankVolume("Old", 0, 400, VolumeType::mfs),
                           VolumeDescriptor::fromExistingData("Unix", 0, ImageBytes(Bytes(20 * blockSize, 1)),
                                                              VolumeType::aux)},
                          SCSIDriver::lido());
        LidoDevice device;
        device.image.assign(static_cast<size_t>(creator.physicalFile.sizeInBytes), 0);
        for (const auto& [at, bytes] : creator.physicalFile.blocksToInstall()) {
            std::copy(bytes.begin(), bytes.end(), device.image.begin() + at * blockSize);
        }
        Bytes& image = device.image;
        device.entryCount = static_cast<int64_t>(bigEndian(image.data() + blockSize + 4, 4));
        for (int64_t entry = 1; entry <= device.entryCount; ++entry) {
            const std::string type = device.entryType(entry);
            const uint8_t* fields = image.data() + entry * blockSize;
            if (type == "Apple_Driver43") device.driverEntryBlock = entry;
            if (type == "Apple_PRODOS") device.proDOSEntryBlock = entry;
            if (type == "Apple_Unix_SVR2") {
                device.auxEntryBlock = entry;
                device.auxStart = static_cast<int64_t>(bigEndian(fields + 8, 4));
            }
            if (type == "Apple_HFS") {
                device.hfsEntryBlock = entry;
                device.hfsStart = static_cast<int64_t>(bigEndian(fields + 8, 4));
                device.hfsBlocks = static_cast<int64_t>(bigEndian(fields + sizeOffset, 4));
            }
        }
        for (int64_t at = 1 + device.entryCount; at < blockCount; ++at) {
            if (at >= driverStart && at < driverStart + driverBlocks) continue;
            if (at >= device.hfsStart && at < device.hfsStart + device.hfsBlocks) continue;
            for (int64_t offset = 0; offset < blockSize; ++offset) {
                image[static_cast<size_t>(at * blockSize + offset)] = static_cast<uint8_t>(at * 7 + offset);
            }
        }
        image[blockSize + logicalDataStartOffset + 3] = 0x2A;
        image[static_cast<size_t>(device.hfsEntryBlock * blockSize + statusLowByteOffset)] = 0x33;
        return device;
    }
};

}  // namespace zorv::testing
