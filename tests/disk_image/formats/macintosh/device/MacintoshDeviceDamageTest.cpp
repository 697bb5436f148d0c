#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptorError.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntryError.hpp"
#include "platform/FileSystem.hpp"
#include "support/HfsTool.hpp"
#include "support/QueuedImage.hpp"
#include "support/TemporaryDirectory.hpp"

// Damaged and hostile device images: every read ends in a device or in one
// of the reader's errors, inside the image and within its size.
namespace zorv {
namespace {

void setLong(Bytes& image, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) image[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void setShort(Bytes& image, size_t offset, uint16_t value) {
    image[offset] = static_cast<uint8_t>(value >> 8);
    image[offset + 1] = static_cast<uint8_t>(value);
}

// A device built here: an HFS volume (formatted by hfsutils when it is
// there), an MFS and an A/UX volume.
Bytes sampleDevice() {
    testing::TemporaryDirectory folder;
    const std::string path = folder.file("device.hda");
    auto creator = MacintoshImageCreator::withCapacityInBlocks(URL::fileURLWithPath(path), 2000);
    creator.partition({VolumeDescriptor::newBlankVolume("HD", 0, 1600, VolumeType::hfs),
                       VolumeDescriptor::newBlankVolume("Floppy", 0, 200, VolumeType::mfs),
                       VolumeDescriptor::newBlankVolume("Unix", 0, 0, VolumeType::aux)},
                      SCSIDriver::appleHDSC735());
    if (!testing::HfsTool::isAvailable()) return testing::imageOfQueue(creator.physicalFile);
    creator.create(true);
    testing::HfsTool hfs;
    hfs.run({"hformat", "-l", "Damaged", path, "1"});
    hfs.run({"hmkdir", ":Folder"});
    hfs.run({"humount"});
    const ImageBytes written = fs::readWholeFile(path);
    return Bytes(written.begin(), written.end());
}

// Reads the image; a failure must be one of the reader's own.
std::optional<MacintoshDevice> readOrRefuse(const Bytes& image) {
    try {
        return MacintoshDevice(ImageBytes(image));
    } catch (const BlockStructureDefinableError&) {
    } catch (const DriverDescriptorError&) {
    } catch (const PartitionMapEntryError&) {
    } catch (const ReadPastEndError&) {
    } catch (const ArithmeticOverflowError&) {
    }
    return std::nullopt;
}

// Walks what the reports would ask of a device.
void useDevice(const MacintoshDevice& device) {
    (void)device.targetOS();
    const auto partitions = device.devicePartitions();
    for (size_t index = 0; index < partitions.size(); ++index) {
        EXPECT_EQ(partitions[index]->partitionData()->size(), 512u);
        (void)partitions[index]->partitionName();
        (void)partitions[index]->sizeInBytes();
        if (const auto volume = device.volumeForPartition(static_cast<int64_t>(index))) {
            (void)volume->volumeName();
            (void)volume->totalCapacityInBytes();
        }
    }
    const auto* first = device.structureData.data();
    const auto* end = first + device.structureData.size();
    for (const auto& [start, descriptor] : device.volumeDescriptors) {
        const ImageBytes bytes = descriptor.dataBlock();
        EXPECT_TRUE(bytes.empty() || (bytes.data() >= first && bytes.data() + bytes.size() <= end));
    }
}

TEST(MacintoshDeviceDamage, BlockSizesThatCannotHoldAnEntry) {
    const Bytes device = sampleDevice();
    for (uint16_t blockSize : {0, 1, 2, 18, 100, 151}) {
        Bytes image = device;
        setShort(image, 2, blockSize);
        try {
            MacintoshDevice{ImageBytes(image)};
            ADD_FAILURE() << blockSize << " read";
        } catch (const BlockStructureDefinableError& error) {
            EXPECT_EQ(error.errorCase, BlockStructureDefinableError::Case::unreacheableBlock);
        }
    }
    // 152 bytes hold an entry: such a device is read, and refused because its
    // block 1 (bytes 152 to 303) holds none.
    Bytes image = device;
    setShort(image, 2, 152);
    EXPECT_THROW(MacintoshDevice{ImageBytes(image)}, PartitionMapEntryError);
}

TEST(MacintoshDeviceDamage, MapCountsPastTheImage) {
    // Every block is an entry, up to the end of the image: the count is read
    // until the first block past it.
    const int64_t blocks = 64;
    Bytes image(blocks * 512, 0);
    const Bytes block0 = DriverDescriptor(512, blocks, 64, 19).dataBlock();
    std::copy(block0.begin(), block0.end(), image.begin());
    const Bytes entry = PartitionMapEntry(PartitionType::applePartitionMap(1, 63), 0xFFFFFFFF, 512).dataBlock();
    for (int64_t block = 1; block < blocks; ++block) std::copy(entry.begin(), entry.end(), image.begin() + block * 512);
    for (uint32_t count : {64u, 1000u, 0xFFFFFFFFu}) {
        setLong(image, 512 + 4, count);
        try {
            MacintoshDevice{ImageBytes(image)};
            ADD_FAILURE() << count << " read";
        } catch (const BlockStructureDefinableError& error) {
            EXPECT_EQ(error.errorCase, BlockStructureDefinableError::Case::unreacheableBlock);
        }
    }
    setLong(image, 512 + 4, 63);
    EXPECT_EQ(MacintoshDevice{ImageBytes(image)}.partitionMap.partitions.size(), 63u);
}

TEST(MacintoshDeviceDamage, HugeDriverCountKeepsTheEntriesThatFit) {
    Bytes image = sampleDevice();
    setShort(image, 16, 0xFFFF);
    const auto device = MacintoshDevice::fromImageData(ImageBytes(image));
    ASSERT_TRUE(device);
    EXPECT_EQ(device->driverDescriptor().driverLocations.size(), 61u);
    EXPECT_EQ(device->targetOS(), SupportedOS::macintosh);
}

// A map of many entries, each spanning most of the image: every partition
// is a slice of the one buffer.
TEST(MacintoshDeviceDamage, ManyEntriesOverTheWholeImageShareItsBuffer) {
    const int64_t blocks = 4096;
    Bytes image(blocks * 512, 0);
    const Bytes block0 = DriverDescriptor(512, blocks, 1, 19).dataBlock();
    std::copy(block0.begin(), block0.end(), image.begin());
    const PartitionType kinds[] = {PartitionType::appleMFS(0, 0, "M"), PartitionType::appleHFS(0, 0, "H"),
                                   PartitionType::applePRODOS(0, 0, "P"), PartitionType::appleDriver43(0, 0, {})};
    for (int64_t block = 1; block < blocks; ++block) {
        const PartitionType& kind = kinds[block % 4];
        PartitionType placed = kind.kind() == PartitionType::Case::appleDriver43
                                   ? PartitionType::appleDriver43(block, blocks - block, {})
                                   : PartitionType::appleMFS(block, blocks - block, "M");
        if (kind.kind() == PartitionType::Case::appleHFS) placed = PartitionType::appleHFS(block, blocks - block, "H");
        if (kind.kind() == PartitionType::Case::applePRODOS) {
            placed = PartitionType::applePRODOS(block, blocks - block, "P");
        }
        const Bytes entry = PartitionMapEntry(placed, blocks - 1, 512).dataBlock();
        std::copy(entry.begin(), entry.end(), image.begin() + block * 512);
    }
    const MacintoshDevice device{ImageBytes(image)};
    EXPECT_EQ(device.partitionMap.partitions.size(), static_cast<size_t>(blocks - 1));
    // Every block but the drivers' (one in four) is a volume partition.
    EXPECT_EQ(device.volumeDescriptors.size(), static_cast<size_t>(blocks - 1 - blocks / 4));
    useDevice(device);
}

// A map that lists one real volume over and over opens it once.
TEST(MacintoshDeviceDamage, OneVolumeListedManyTimesIsOpenedOnce) {
    const Bytes device = sampleDevice();
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    const int64_t copies = 60;
    Bytes image = device;
    const Bytes entry = PartitionMapEntry(PartitionType::appleHFS(96, 1600, "HD"), copies + 1, 512).dataBlock();
    for (int64_t block = 2; block <= copies + 1; ++block) {
        std::copy(entry.begin(), entry.end(), image.begin() + block * 512);
    }
    setLong(image, 512 + 4, static_cast<uint32_t>(copies + 1));
    const MacintoshDevice read{ImageBytes(image)};
    ASSERT_EQ(read.partitionMap.partitions.size(), static_cast<size_t>(copies + 1));
    const auto volume = read.partitionMap.partitions[1].associatedVolume();
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->volumeName(), "Damaged");
    for (const auto& partition : read.partitionMap.partitions) {
        if (partition.pmPyPartStart == 96) {
            EXPECT_EQ(partition.associatedVolume(), volume);
        }
    }
    EXPECT_EQ(read.volumeDescriptors.size(), 1u);
}

TEST(MacintoshDeviceDamage, TruncatedDevicesNeverCrash) {
    const Bytes device = sampleDevice();
    for (size_t size = 0; size <= 100 * 512; size += (size < 2048 ? 7 : 509)) {
        if (const auto read = readOrRefuse(Bytes(device.begin(), device.begin() + static_cast<std::ptrdiff_t>(size)))) {
            useDevice(*read);
        }
    }
    // Cut inside the HFS volume, which then no longer fits (listed without
    // its volume), or inside the A/UX volume at the end, which is not
    // opened: the device still reads.
    EXPECT_TRUE(readOrRefuse(Bytes(device.begin(), device.begin() + 1000 * 512)));
    EXPECT_TRUE(readOrRefuse(Bytes(device.begin(), device.end() - 512)));
    EXPECT_TRUE(readOrRefuse(device));
}

TEST(MacintoshDeviceDamage, ScrambledDevicesNeverCrash) {
    const Bytes device = sampleDevice();
    std::mt19937 random(5);
    // Block 0, the map, and the HFS volume's first blocks.
    const size_t region = 6 * 512;
    for (int round = 0; round < 1500; ++round) {
        Bytes image = device;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int change = 0; change < changes; ++change) {
            const size_t at = random() % 2 ? random() % region : 96 * 512 + random() % (8 * 512);
            image[at] = static_cast<uint8_t>(random());
        }
        if (const auto read = readOrRefuse(image)) useDevice(*read);
    }
}

}  // namespace
}  // namespace zorv
