#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptor.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptorError.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMap.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntryError.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/HfsTool.hpp"

// Block 0 and the partition map of whole device images: real ones from other
// programs, ones laid out here and read back by hfsutils, and damaged ones.
namespace zorv {
namespace {

struct DeviceBlocks : BlockStructureDefinable {
    using BlockStructureDefinable::BlockStructureDefinable;
};

struct ReadDevice {
    DriverDescriptor descriptor;
    PartitionMap map;
};

// Walks a device the way the device reader does: block 0's record gives the
// block size, the entry of block 1 the number of entries, and every entry is
// read from its own block inside the image. Entries of unknown types are left
// out.
ReadDevice readDevice(const ImageBytes& image) {
    DeviceBlocks device(512, image);
    DriverDescriptor descriptor(device.getBlockAtPosition(0));
    device.blockSize = descriptor.sbBlkSize;
    if (device.blockSize < PartitionMapEntry::minimumBlockSize) {
        throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
    }
    const int64_t count = PartitionMapEntry(device.getBlockAtPosition(1)).pmMapBlkCnt;
    std::vector<PartitionMapEntry> entries;
    for (int64_t block = 1; block <= count; ++block) {
        try {
            entries.emplace_back(device.getBlockAtPosition(block));
        } catch (const PartitionMapEntryError& error) {
            if (error.errorCase != PartitionMapEntryError::Case::unknownPartitionType) throw;
        }
    }
    return {descriptor, PartitionMap(std::move(entries))};
}

struct Expected {
    const char* name;
    const char* type;
    int64_t start;
    int64_t size;
};

void expectEntries(const std::vector<PartitionMapEntry>& entries, const std::vector<Expected>& expected) {
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t index = 0; index < entries.size(); ++index) {
        SCOPED_TRACE(expected[index].name);
        EXPECT_EQ(entries[index].pmPartName, expected[index].name);
        EXPECT_EQ(entries[index].pmParType, expected[index].type);
        EXPECT_EQ(entries[index].partitionType, PartitionType::findTypeMatching(expected[index].type));
        EXPECT_EQ(entries[index].pmPyPartStart, expected[index].start);
        EXPECT_EQ(entries[index].pmPartBlkCnt, expected[index].size);
        EXPECT_EQ(entries[index].pmMapBlkCnt, static_cast<int64_t>(expected.size()));
        EXPECT_EQ(entries[index].physicalBlockSizeInBytes, 512);
    }
}

std::optional<ImageBytes> corpusImage(const std::string& path) {
    const auto file = testing::corpusFile(path);
    if (!file) return std::nullopt;
    return fs::readWholeFile(file->string());
}

// CiderPress2's sample: no driver, and the map's own entry listed last.
TEST(ApplePartitionMapCorpus, CiderPressProDOSAndHFS) {
    const auto image = corpusImage("apm/cp2-apm-prodos-hfs.iso");
    if (!image) GTEST_SKIP() << "corpus image apm/cp2-apm-prodos-hfs.iso is absent";
    const ReadDevice device = readDevice(*image);
    EXPECT_EQ(device.descriptor.sbBlkSize, 512);
    EXPECT_EQ(device.descriptor.sbBlkCount(), 3204);
    EXPECT_TRUE(device.descriptor.driverLocations.empty());
    EXPECT_EQ(device.descriptor.supportedOS(), SupportedOS::other);
    expectEntries(device.map.partitions, {{"ProDOS_Part", "Apple_PRODOS", 4, 1600},
                                          {"HFS_Part", "Apple_HFS", 1604, 1600},
                                          {"Apple", "Apple_partition_map", 1, 3}});
    std::vector<int64_t> starts;
    for (const auto& entry : device.map.sortedPartitions()) starts.push_back(entry.pmPyPartStart);
    EXPECT_EQ(starts, std::vector<int64_t>({1, 4, 1604}));
}

// MfsReader's sample: HFS, MFS and ProDOS partitions, all with status 0x37.
TEST(ApplePartitionMapCorpus, MfsReaderCombined) {
    const auto image = corpusImage("apm/mr-combined.dsk");
    if (!image) GTEST_SKIP() << "corpus image apm/mr-combined.dsk is absent";
    const ReadDevice device = readDevice(*image);
    EXPECT_EQ(device.descriptor.sbBlkSize, 512);
    EXPECT_EQ(device.descriptor.sbBlkCount(), 6085);
    EXPECT_TRUE(device.descriptor.driverLocations.empty());
    expectEntries(device.map.partitions, {{"Apple", "Apple_partition_map", 1, 4},
                                          {"HFS Volume", "Apple_HFS", 5, 1600},
                                          {"MFS Volume", "Apple_MFS", 1605, 2880},
                                          {"ProDOS Volume", "Apple_PRODOS", 4485, 1600}});
    for (const auto& entry : device.map.partitions) {
        EXPECT_EQ(entry.pmPartStatus.rawValue, 0x37);
        EXPECT_EQ(entry.isInteresting(), entry.pmParType != "Apple_partition_map");
        // The records are written back as they were read.
        const int64_t block = &entry - device.map.partitions.data() + 1;
        const ImageBytes original = image->slice(block * 512, 512);
        EXPECT_EQ(entry.dataBlock(), original.toBytes()) << entry.pmPartName;
    }
}

// A device laid out here, with its driver, an A/UX and a ProDOS volume
// before an HFS one: hfsutils finds the HFS partition through the map,
// formats it and mounts it.
TEST(ApplePartitionMapInterchange, HfsutilsFormatsTheHFSPartition) {
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    const SCSIDriver& driver = SCSIDriver::appleHDSC735();
    const int64_t blockCount = 96 + 300 + 2000 + 1600;
    const PartitionMap map({PartitionMapVolume{PartitionType::appleUnixSVR2(96, 300, "A/UX"), 512, {}},
                            PartitionMapVolume{PartitionType::applePRODOS(396, 2000, "P8"), 512, {}},
                            PartitionMapVolume{PartitionType::appleHFS(2396, 1600, "Zorv HD"), 512, {}}},
                           blockCount, 64, driver);
    Bytes image(static_cast<size_t>(blockCount * 512), 0);
    const Bytes block0 = DriverDescriptor(512, blockCount, 64, driver.ddSize).dataBlock();
    const Bytes records = map.dataBlock();
    std::copy(block0.begin(), block0.end(), image.begin());
    std::copy(records.begin(), records.end(), image.begin() + 512);
    std::copy(driver.driverData.begin(), driver.driverData.end(), image.begin() + 64 * 512);

    testing::TemporaryDirectory folder;
    const std::string path = folder.file("device.img");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));

    testing::HfsTool hfs;
    hfs.run({"hformat", "-l", "Zorv HD", path, "1"});
    const std::string mounted = hfs.run({"hmount", path, "1"});
    EXPECT_NE(mounted.find("contains 1 HFS partition"), std::string::npos) << mounted;
    EXPECT_NE(mounted.find("Volume name is \"Zorv HD\""), std::string::npos) << mounted;

    // The master directory block landed two blocks into the HFS partition,
    // and the map and the driver are untouched.
    const ImageBytes written = fs::readWholeFile(path);
    EXPECT_EQ(written[2398 * 512], 'B');
    EXPECT_EQ(written[2398 * 512 + 1], 'D');
    const ReadDevice device = readDevice(written);
    expectEntries(device.map.partitions, {{"Apple", "Apple_partition_map", 1, 63},
                                          {"Macintosh", "Apple_Driver43", 64, 32},
                                          {"A/UX", "Apple_Unix_SVR2", 96, 300},
                                          {"P8", "Apple_PRODOS", 396, 2000},
                                          {"Zorv HD", "Apple_HFS", 2396, 1600}});
    EXPECT_EQ(device.descriptor.driverLocations, std::vector<DriverLocation>({DriverLocation(64, 19, 1)}));
    EXPECT_TRUE(std::equal(driver.driverData.begin(), driver.driverData.end(), written.begin() + 64 * 512));
}

// The small device the damage tests start from: block 0, a map of three
// entries, nothing else.
Bytes smallDevice() {
    const int64_t blockCount = 96 + 20;
    const PartitionMap map({PartitionMapVolume{PartitionType::appleHFS(96, 20, "HD"), 512, {}}}, blockCount, 64,
                           SCSIDriver::appleHDSC735());
    Bytes image(static_cast<size_t>(blockCount * 512), 0);
    const Bytes block0 = DriverDescriptor(512, blockCount, 64, 19).dataBlock();
    const Bytes records = map.dataBlock();
    std::copy(block0.begin(), block0.end(), image.begin());
    std::copy(records.begin(), records.end(), image.begin() + 512);
    return image;
}

void setLong(Bytes& image, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) image[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Whatever a damaged device holds, reading its map ends in a result or in
// one of the readers' errors, and never reads outside the image.
template <typename F>
void expectReadOrRefusal(const Bytes& image, F&& onResult) {
    try {
        onResult(readDevice(ImageBytes(image)));
    } catch (const BlockStructureDefinableError&) {
    } catch (const DriverDescriptorError&) {
    } catch (const PartitionMapEntryError&) {
    } catch (const ReadPastEndError&) {
    }
}

TEST(ApplePartitionMapDamage, MapCountsPastTheImageAreUnreachable) {
    Bytes image = smallDevice();
    EXPECT_EQ(readDevice(ImageBytes(image)).map.partitions.size(), 3u);
    for (uint32_t count : {200u, 0xFFFFFFFFu}) {
        setLong(image, 512 + 4, count);
        try {
            readDevice(ImageBytes(image));
            ADD_FAILURE() << "count " << count << " read";
        } catch (const BlockStructureDefinableError& error) {
            // Block 4 and later are zeros: no "PM".
            ADD_FAILURE() << error.what();
        } catch (const PartitionMapEntryError& error) {
            EXPECT_EQ(error.errorCase, PartitionMapEntryError::Case::invalidPartitionMapSignature);
        }
    }
    // Only the blocks the image holds are ever asked for.
    image.resize(4 * 512);
    setLong(image, 512 + 4, 0xFFFFFFFFu);
    EXPECT_THROW(readDevice(ImageBytes(image)), BlockStructureDefinableError);
}

TEST(ApplePartitionMapDamage, BlockSizesThatCannotHoldAnEntry) {
    for (uint16_t blockSize : {0, 1, 2, 100, 151}) {
        Bytes image = smallDevice();
        image[2] = static_cast<uint8_t>(blockSize >> 8);
        image[3] = static_cast<uint8_t>(blockSize);
        EXPECT_THROW(readDevice(ImageBytes(image)), BlockStructureDefinableError) << blockSize;
    }
}

TEST(ApplePartitionMapDamage, TruncatedAndScrambledDevicesNeverCrash) {
    const Bytes device = smallDevice();
    for (size_t size = 0; size <= 5 * 512; size += 7) {
        expectReadOrRefusal(Bytes(device.begin(), device.begin() + static_cast<std::ptrdiff_t>(size)),
                            [](const ReadDevice&) {});
    }
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        Bytes image = device;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int change = 0; change < changes; ++change) {
            image[random() % (4 * 512)] = static_cast<uint8_t>(random());
        }
        expectReadOrRefusal(image, [](const ReadDevice& read) {
            for (const auto& entry : read.map.partitions) EXPECT_EQ(entry.dataBlock().size(), 512u);
        });
    }
}

}  // namespace
}  // namespace zorv
