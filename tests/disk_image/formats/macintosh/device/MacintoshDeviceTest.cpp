#include <gtest/gtest.h>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptorError.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDeviceError.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntryError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSVolume.hpp"
#include "platform/FileSystem.hpp"
#include "support/ByteBuilder.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"

// Reading device images: the two real ones of the corpus and hand-made ones
// for each rule of the reader.
namespace zorv {
namespace {

using testing::ByteBuilder;

std::optional<ImageBytes> corpusImage(const std::string& path) {
    const auto file = testing::corpusFile(path);
    if (!file) return std::nullopt;
    return fs::readWholeFile(file->string());
}

struct HandEntry {
    std::string type;
    int64_t start;
    int64_t size;
    std::string name = "Part";
};

// A device of `blockCount` blocks of `blockSize` bytes: block 0 with "ER",
// the block size and one driver entry; then one entry per block from block
// 1, each announcing `mapCount` entries (the number given, by default).
Bytes handMadeDevice(int64_t blockSize, int64_t blockCount, const std::vector<HandEntry>& entries,
                     std::optional<int64_t> mapCount = std::nullopt) {
    Bytes image(static_cast<size_t>(blockSize * blockCount), 0);
    ByteBuilder block0;
    block0.text("ER").u16(blockSize).u32(blockCount).u16(1).u16(1).u32(0).u16(1).u32(64).u16(19).u16(1);
    std::copy(block0.data().begin(), block0.data().end(), image.begin());
    for (size_t index = 0; index < entries.size(); ++index) {
        const HandEntry& entry = entries[index];
        ByteBuilder record;
        record.text("PM").u16(0).u32(mapCount.value_or(static_cast<int64_t>(entries.size())));
        record.u32(entry.start).u32(entry.size);
        record.text(entry.name).zeros(32 - entry.name.size());
        record.text(entry.type).zeros(32 - entry.type.size());
        record.zeros(512 - record.size());
        std::copy(record.data().begin(), record.data().end(),
                  image.begin() + static_cast<std::ptrdiff_t>((index + 1) * static_cast<size_t>(blockSize)));
    }
    return image;
}

constexpr auto unreacheable = BlockStructureDefinableError::Case::unreacheableBlock;

std::vector<int64_t> startsOf(const std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>>& partitions) {
    std::vector<int64_t> starts;
    for (const auto& partition : partitions) starts.push_back(partition->startPhysicalBlock());
    return starts;
}

// CiderPress2's sample: ProDOS and HFS partitions, no driver, the map's own
// entry listed last.
TEST(MacintoshDeviceCorpus, CiderPressProDOSAndHFS) {
    const auto image = corpusImage("apm/cp2-apm-prodos-hfs.iso");
    if (!image) GTEST_SKIP() << "corpus image apm/cp2-apm-prodos-hfs.iso is absent";
    const MacintoshDevice device(*image);
    EXPECT_EQ(device.blockSize, 512);
    EXPECT_EQ(device.physicalBlockSize(), 512);
    EXPECT_EQ(device.deviceName(), "Macintosh SCSI Device");
    EXPECT_FALSE(device.additionalName());
    EXPECT_FALSE(device.isToastDevice());
    EXPECT_EQ(device.targetOS(), SupportedOS::other);  // no driver entries
    EXPECT_EQ(device.diskImageFileURL.path(), "");

    const auto& entries = device.partitionMap.partitions;
    ASSERT_EQ(entries.size(), 3u);
    const struct {
        const char* name;
        const char* type;
        int64_t start;
        int64_t size;
    } expected[] = {{"ProDOS_Part", "Apple_PRODOS", 4, 1600},
                    {"HFS_Part", "Apple_HFS", 1604, 1600},
                    {"Apple", "Apple_partition_map", 1, 3}};
    for (size_t index = 0; index < entries.size(); ++index) {
        EXPECT_EQ(entries[index].pmPartName, expected[index].name);
        EXPECT_EQ(entries[index].pmParType, expected[index].type);
        EXPECT_EQ(entries[index].pmPyPartStart, expected[index].start);
        EXPECT_EQ(entries[index].pmPartBlkCnt, expected[index].size);
        EXPECT_EQ(entries[index].pmMapBlkCnt, 3);
    }
    EXPECT_TRUE(device.partitionMap.existingData.empty());

    // By start block: the map, ProDOS, HFS.
    const auto partitions = device.devicePartitions();
    EXPECT_EQ(startsOf(partitions), (std::vector<int64_t>{1, 4, 1604}));
    EXPECT_EQ(partitions[2]->partitionName(), "New Disk");  // the volume's name
    EXPECT_EQ(partitions[0]->partitionName(), "Apple");
    EXPECT_EQ(device.firstInterestingPartition(), 1);

    // One descriptor per volume partition, named "MacOS", its bytes a slice
    // of the image.
    ASSERT_EQ(device.volumeDescriptors.size(), 2u);
    const VolumeDescriptor& hfs = device.volumeDescriptors.at(1604);
    EXPECT_EQ(hfs.name(), "MacOS");
    EXPECT_EQ(hfs.startBlock(), 0);
    EXPECT_EQ(hfs.volumeType(), VolumeType::hfs);
    EXPECT_EQ(hfs.sizeInBlocks, 1600);
    EXPECT_EQ(hfs.dataBlock().data(), image->data() + 1604 * 512);
    EXPECT_EQ(hfs.dataBlock().size(), 1600u * 512);
    ASSERT_NE(hfs.parsedVolume(), nullptr);
    EXPECT_EQ(hfs.parsedVolume()->volumeName(), "New Disk");
    const VolumeDescriptor& proDOS = device.volumeDescriptors.at(4);
    EXPECT_TRUE(proDOS.volumeType() == VolumeType::proDOS || proDOS.volumeType() == VolumeType::unreadable);
    EXPECT_EQ(proDOS.dataBlock().data(), image->data() + 4 * 512);

    // The volume of each partition, by start block.
    EXPECT_EQ(device.volumeForPartition(2), hfs.parsedVolume());
    EXPECT_EQ(device.volumeForPartition(0), nullptr);
    EXPECT_EQ(device.volumeForPartition(3), nullptr);
    EXPECT_EQ(device.volumeDescriptorForPartition(2).dataBlock().data(), hfs.dataBlock().data());
    EXPECT_EQ(device.volumeDescriptorForInterestingPartition(0).dataBlock().data(), proDOS.dataBlock().data());
    EXPECT_EQ(device.volumeDescriptorForInterestingPartition(1).volumeType(), VolumeType::hfs);
    const auto invalidIndex = MacintoshDeviceError(MacintoshDeviceError::Case::invalidPartitionIndex);
    testing::expectError(invalidIndex, [&] { device.volumeDescriptorForInterestingPartition(2); });
    testing::expectError(invalidIndex, [&] { device.volumeDescriptorForInterestingPartition(-1); });
    testing::expectError(invalidIndex, [&] { device.volumeDescriptorForPartition(0); });
    testing::expectError(invalidIndex, [&] { device.volumeDescriptorForPartition(3); });

    const auto found = device.partitionMapEntriesOfType(PartitionType(PartitionType::Case::appleHFS));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].first, 1);
    EXPECT_EQ(found[0].second.pmPartName, "HFS_Part");

    EXPECT_TRUE(MacintoshDevice::fromImageData(*image));
}

// MfsReader's sample: HFS, MFS and ProDOS partitions.
TEST(MacintoshDeviceCorpus, MfsReaderCombined) {
    const auto image = corpusImage("apm/mr-combined.dsk");
    if (!image) GTEST_SKIP() << "corpus image apm/mr-combined.dsk is absent";
    const auto device = MacintoshDevice::fromImageData(*image);
    ASSERT_TRUE(device);
    const struct {
        const char* name;
        const char* type;
        int64_t start;
        int64_t size;
    } expected[] = {{"Apple", "Apple_partition_map", 1, 4},
                    {"HFS Volume", "Apple_HFS", 5, 1600},
                    {"MFS Volume", "Apple_MFS", 1605, 2880},
                    {"ProDOS Volume", "Apple_PRODOS", 4485, 1600}};
    const auto& entries = device->partitionMap.partitions;
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t index = 0; index < entries.size(); ++index) {
        EXPECT_EQ(entries[index].pmPartName, expected[index].name);
        EXPECT_EQ(entries[index].pmParType, expected[index].type);
        EXPECT_EQ(entries[index].pmPyPartStart, expected[index].start);
        EXPECT_EQ(entries[index].pmPartBlkCnt, expected[index].size);
    }
    EXPECT_EQ(startsOf(device->devicePartitions()), (std::vector<int64_t>{1, 5, 1605, 4485}));
    EXPECT_EQ(device->firstInterestingPartition(), 1);
    ASSERT_NE(device->volumeForPartition(1), nullptr);
    EXPECT_EQ(device->volumeForPartition(1)->volumeName(), "Apple II Setup");
    ASSERT_NE(device->volumeForPartition(2), nullptr);
    EXPECT_NE(dynamic_cast<const MFSVolume*>(device->volumeForPartition(2).get()), nullptr);
    EXPECT_EQ(device->volumeForPartition(2)->volumeName(), "Untitled");
    EXPECT_EQ(device->volumeDescriptors.at(1605).volumeType(), VolumeType::mfs);
    EXPECT_EQ(device->volumeDescriptors.at(5).volumeType(), VolumeType::hfs);
    EXPECT_EQ(device->volumeDescriptors.size(), 3u);
}

TEST(MacintoshDeviceReading, EntriesInAnyOrderAreListedByStart) {
    const Bytes image = handMadeDevice(512, 200, {{"Apple_MFS", 96, 10, "Floppy"},
                                                  {"Apple_partition_map", 1, 3, "Apple"},
                                                  {"Apple_Free", 64, 32, "Extra"}});
    const MacintoshDevice device{ImageBytes(image)};
    std::vector<int64_t> mapOrder;
    for (const auto& entry : device.partitionMap.partitions) mapOrder.push_back(entry.pmPyPartStart);
    EXPECT_EQ(mapOrder, (std::vector<int64_t>{96, 1, 64}));
    EXPECT_EQ(startsOf(device.devicePartitions()), (std::vector<int64_t>{1, 64, 96}));
    // volumeForPartition counts like devicePartitions.
    EXPECT_EQ(device.volumeForPartition(0), nullptr);
    ASSERT_NE(device.volumeForPartition(2), nullptr);
    EXPECT_EQ(device.volumeForPartition(2), device.volumeDescriptors.at(96).parsedVolume());
    EXPECT_EQ(device.volumeForPartition(-1), nullptr);
    EXPECT_EQ(device.volumeForPartition(3), nullptr);
    EXPECT_EQ(device.firstInterestingPartition(), 2);
    EXPECT_EQ(device.volumeDescriptorForInterestingPartition(0).sizeInBlocks, 10);
    EXPECT_EQ(device.targetOS(), SupportedOS::macintosh);
}

TEST(MacintoshDeviceReading, UnknownTypesArePrintedAndLeftOut) {
    const Bytes image = handMadeDevice(512, 100, {{"Apple_partition_map", 1, 63},
                                                  {"Apple_Free", 64, 10},
                                                  {"Apple_Free", 74, 10},
                                                  {"Apple_Bogus", 84, 10}});
    ::testing::internal::CaptureStdout();
    const MacintoshDevice device{ImageBytes(image)};
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Apple_Bogus\n");
    EXPECT_EQ(device.partitionMap.partitions.size(), 3u);

    // At block 1 an unknown type ends the read.
    const Bytes first = handMadeDevice(512, 100, {{"Apple_Bogus", 1, 63}});
    testing::expectError<PartitionMapEntryError>(PartitionMapEntryError::Case::unknownPartitionType,
                                                 [&] { MacintoshDevice{ImageBytes(first)}; });
}

TEST(MacintoshDeviceReading, MapCounts) {
    EXPECT_TRUE(MacintoshDevice{ImageBytes(handMadeDevice(512, 10, {{"Apple_partition_map", 1, 1}}, 0))}
                    .partitionMap.partitions.empty());
    // Two blocks: block 0 and one entry.
    const Bytes tiny = handMadeDevice(512, 2, {{"Apple_partition_map", 1, 1}});
    EXPECT_EQ(MacintoshDevice{ImageBytes(tiny)}.partitionMap.partitions.size(), 1u);
    testing::expectError<BlockStructureDefinableError>(unreacheable, [&] {
        MacintoshDevice{ImageBytes(handMadeDevice(512, 2, {{"Apple_partition_map", 1, 1}}, 2))};
    });
    // A block of the map without "PM".
    testing::expectError<PartitionMapEntryError>(PartitionMapEntryError::Case::invalidPartitionMapSignature, [] {
        MacintoshDevice{ImageBytes(handMadeDevice(512, 10, {{"Apple_partition_map", 1, 1}}, 3))};
    });
}

TEST(MacintoshDeviceReading, ToastImagesAreReadInBlocksOf512) {
    Bytes image = handMadeDevice(512, 100, {{"Apple_partition_map", 1, 2}, {"Apple_MFS", 10, 20}});
    image[2] = 0x08;  // sbBlkSize 2048
    image[3] = 0x00;
    // In 2048-byte blocks, block 1 holds no entry.
    EXPECT_THROW(MacintoshDevice{ImageBytes(image)}, PartitionMapEntryError);
    std::copy_n("MRKS", 4, image.begin() + 1020);
    const MacintoshDevice device{ImageBytes(image)};
    EXPECT_TRUE(device.isToastDevice());
    EXPECT_EQ(device.blockSize, 512);
    EXPECT_EQ(device.partitionMap.partitions.size(), 2u);
    EXPECT_TRUE(MacintoshDevice::fromImageData(ImageBytes(image)));

    // Without "ER" it reads, but is not detected.
    image[0] = 'X';
    EXPECT_EQ(MacintoshDevice{ImageBytes(image)}.partitionMap.partitions.size(), 2u);
    EXPECT_EQ(MacintoshDevice{ImageBytes(image)}.targetOS(), SupportedOS::other);
    EXPECT_FALSE(MacintoshDevice::fromImageData(ImageBytes(image)));
}

TEST(MacintoshDeviceReading, NotADevice) {
    EXPECT_FALSE(MacintoshDevice::fromImageData(ImageBytes(Bytes(4096, 0))));
    EXPECT_FALSE(MacintoshDevice::fromImageData(ImageBytes(Bytes{'E'})));
    EXPECT_FALSE(MacintoshDevice::fromImageData(ImageBytes()));
    EXPECT_THROW(MacintoshDevice{ImageBytes(Bytes(4096, 0))}, DriverDescriptorError);
    testing::expectError<BlockStructureDefinableError>(unreacheable, [&] {
        MacintoshDevice{ImageBytes(Bytes{'E', 'R', 2, 0})};
    });
}

// The HFS+ test looks 1,024 bytes into the partition, where the volume
// header lies whatever the device's block size.
TEST(MacintoshDeviceReading, HFSPlusIsRecognisedAt1024BytesIntoThePartition) {
    Bytes partition(8 * 2048, 0);
    EXPECT_EQ(MacintoshDevice::volumeTypeOfPartition(PartitionType::Case::appleHFS, ImageBytes(partition)),
              VolumeType::hfs);
    partition[1024] = 'H';
    partition[1025] = '+';
    EXPECT_EQ(MacintoshDevice::volumeTypeOfPartition(PartitionType::Case::appleHFS, ImageBytes(partition)),
              VolumeType::hfsPlus);
    // "HX" is not taken, and neither is a partition too short for the test.
    partition[1025] = 'X';
    EXPECT_EQ(MacintoshDevice::volumeTypeOfPartition(PartitionType::Case::appleHFS, ImageBytes(partition)),
              VolumeType::hfs);
    EXPECT_EQ(MacintoshDevice::volumeTypeOfPartition(PartitionType::Case::appleHFS, ImageBytes(Bytes(1025, 'H'))),
              VolumeType::hfs);
    EXPECT_EQ(MacintoshDevice::volumeTypeOfPartition(PartitionType::Case::appleMFS, ImageBytes(partition)),
              VolumeType::mfs);
    EXPECT_EQ(MacintoshDevice::volumeTypeOfPartition(PartitionType::Case::applePRODOS, ImageBytes(partition)),
              VolumeType::proDOS);
}

// Real volumes in a device of 2048-byte blocks: the HFS one opens; the HFS+
// one is found as HFS+ (the old test, two device blocks in, missed it).
TEST(MacintoshDeviceReading, VolumesInADeviceOf2048ByteBlocks) {
    const auto hfs = corpusImage("hfs/cp2-blank-800k.po");
    if (!hfs) GTEST_SKIP() << "corpus image hfs/cp2-blank-800k.po is absent";
    const auto hfsPlus = corpusImage("hfsplus/dfvfs-hfsplus.raw");
    // 800K HFS at block 10 (400 blocks), HFS+ at block 410 (2028 blocks).
    const int64_t plusBlocks = hfsPlus ? static_cast<int64_t>(hfsPlus->size()) / 2048 : 0;
    std::vector<HandEntry> entries{{"Apple_partition_map", 1, 3}, {"Apple_HFS", 10, 400, "Old"}};
    if (hfsPlus) entries.push_back({"Apple_HFS", 410, plusBlocks, "New"});
    Bytes image = handMadeDevice(2048, 410 + plusBlocks, entries);
    std::copy(hfs->begin(), hfs->end(), image.begin() + 10 * 2048);
    if (hfsPlus) std::copy(hfsPlus->begin(), hfsPlus->end(), image.begin() + 410 * 2048);

    const MacintoshDevice device{ImageBytes(image)};
    EXPECT_EQ(device.blockSize, 2048);
    EXPECT_EQ(device.partitionMap.partitions[1].physicalBlockSizeInBytes, 2048);
    EXPECT_EQ(device.partitionMap.partitions[1].sizeInBytes(), 819200);
    const VolumeDescriptor& old = device.volumeDescriptors.at(10);
    EXPECT_EQ(old.volumeType(), VolumeType::hfs);
    ASSERT_NE(old.parsedVolume(), nullptr);
    EXPECT_EQ(old.parsedVolume()->volumeName(), "New Disk");
    if (!hfsPlus) GTEST_SKIP() << "corpus image hfsplus/dfvfs-hfsplus.raw is absent";
    const VolumeDescriptor& plus = device.volumeDescriptors.at(410);
    if (!openEmbeddedHFSPlusVolume(*hfsPlus)) {
        // Until HFS+ volumes open, the volume is one that does not open.
        EXPECT_EQ(plus.volumeType(), VolumeType::unreadable);
        GTEST_SKIP() << "HFS+ volumes do not open yet";
    }
    EXPECT_EQ(plus.volumeType(), VolumeType::hfsPlus);
    ASSERT_NE(plus.parsedVolume(), nullptr);
    EXPECT_EQ(plus.parsedVolume()->volumeName(), "hfsplus_test");
}

TEST(MacintoshDeviceReading, DriversAreIdentifiedByTheirFirstBytes) {
    std::vector<HandEntry> entries{{"Apple_partition_map", 1, 63}};
    int64_t start = 64;
    const std::vector<const SCSIDriver*> drivers{
        &SCSIDriver::appleDS15(),    &SCSIDriver::appleDS173(),   &SCSIDriver::appleDS173Chained(),
        &SCSIDriver::appleHDSC203(), &SCSIDriver::appleHDSC722(), &SCSIDriver::appleHDSC735(),
        &SCSIDriver::lido(),         &SCSIDriver::silverLining531()};
    for (const SCSIDriver* driver : drivers) {
        const auto blocks = static_cast<int64_t>(driver->driverData.size()) / 512;
        entries.push_back({driver->prefersOldSCSIManager ? "Apple_Driver" : "Apple_Driver43", start, blocks});
        start += blocks;
    }
    entries.push_back({"Apple_Driver43", start, 32});      // like no driver
    entries.push_back({"Apple_Driver43", start + 32, 1});  // shorter than every compared length
    Bytes image = handMadeDevice(512, start + 33, entries);
    start = 64;
    for (const SCSIDriver* driver : drivers) {
        std::copy(driver->driverData.begin(), driver->driverData.end(), image.begin() + start * 512);
        start += static_cast<int64_t>(driver->driverData.size()) / 512;
    }
    std::fill(image.begin() + start * 512, image.end(), 0x5A);

    const MacintoshDevice device{ImageBytes(image)};
    const auto& read = device.partitionMap.partitions;
    ASSERT_EQ(read.size(), entries.size());
    for (size_t index = 0; index < drivers.size(); ++index) {
        ASSERT_TRUE(read[1 + index].scsiDriver) << drivers[index]->name;
        EXPECT_EQ(*read[1 + index].scsiDriver, *drivers[index]);
        EXPECT_EQ(read[1 + index].partitionName(), drivers[index]->name);
    }
    EXPECT_FALSE(read[1 + drivers.size()].scsiDriver);
    EXPECT_FALSE(read[2 + drivers.size()].scsiDriver);
    EXPECT_TRUE(read[1 + 6].hasWarning());  // Lido
    EXPECT_FALSE(read[1 + 5].hasWarning());
    const auto found = device.partitionMapEntriesOfType(PartitionType(PartitionType::Case::appleDriver43));
    EXPECT_EQ(found.size(), drivers.size() + 1);
}

TEST(MacintoshDeviceReading, PartitionsPastTheEndAreListedWithoutVolumeOrDriver) {
    struct Extent {
        int64_t start;
        int64_t size;
        bool cutShort;
    };
    for (const char* type : {"Apple_HFS", "Apple_MFS", "Apple_PRODOS", "Apple_Driver43", "Apple_Driver"}) {
        for (const Extent extent : {Extent{90, 11, true}, Extent{0xFFFFFFFF, 0xFFFFFFFF, true}, Extent{90, 10, false}}) {
            SCOPED_TRACE(std::string(type) + " at " + std::to_string(extent.start));
            const MacintoshDevice device{
                ImageBytes(handMadeDevice(512, 100, {{"Apple_partition_map", 1, 2}, {type, extent.start, extent.size}}))};
            ASSERT_EQ(device.partitionMap.partitions.size(), 2u);
            const PartitionMapEntry& entry = device.partitionMap.partitions[1];
            EXPECT_EQ(device.isCutShort(entry), extent.cutShort);
            if (!extent.cutShort) continue;
            EXPECT_EQ(entry.associatedVolume(), nullptr);
            EXPECT_FALSE(entry.scsiDriver);
            EXPECT_TRUE(device.volumeDescriptors.empty());
            if (entry.isInteresting()) {
                testing::expectError<MacintoshDeviceError>(MacintoshDeviceError::Case::partitionPastEndOfImage,
                                                           [&] { device.volumeDescriptorForInterestingPartition(0); });
            }
        }
    }
    // Other kinds are not opened: their extent is not looked at.
    const MacintoshDevice free{
        ImageBytes(handMadeDevice(512, 100, {{"Apple_partition_map", 1, 2}, {"Apple_Free", 90, 1000}}))};
    EXPECT_FALSE(free.isCutShort(free.partitionMap.partitions[1]));
}

}  // namespace
}  // namespace zorv
