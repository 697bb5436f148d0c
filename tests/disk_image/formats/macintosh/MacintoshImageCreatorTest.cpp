#include <gtest/gtest.h>

#include <functional>

#include "data_access/Errors.hpp"
#include "disk_image/blocks/PhysicalBlockFileError.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptor.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptorError.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/QueuedImage.hpp"

// New device images, block by block: the driver descriptor record, the map,
// the driver, the volumes and the patches some drivers need in block 0.
namespace zorv {
namespace {

using testing::ByteBuilder;

const URL target = URL::fileURLWithPath("/tmp/zorv-device-never-written.img");

const std::vector<int64_t> defaultTrailer{0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 7, 0, 0};

ByteBuilder& field(ByteBuilder& builder, const std::string& text, size_t width) {
    return builder.text(text).zeros(width - text.size());
}

// Block 0 as the layout of the driver descriptor record gives it, with one
// Macintosh driver.
Bytes driverDescriptorBlock(int64_t blockCount, int64_t ddBlock, int64_t ddSize) {
    ByteBuilder block;
    block.text("ER").u16(512).u32(blockCount).u16(1).u16(1).u32(0).u16(1);
    block.u32(ddBlock).u16(ddSize).u16(1);
    block.zeros(512 - block.size());
    return block;
}

struct ExpectedEntry {
    std::string type;
    std::string name;
    int64_t start;
    int64_t size;
    int64_t status;
    int64_t bootSize = 0;
    int64_t bootChecksum = 0;
    std::string processor = "";
    std::vector<int64_t> trailer = {};
};

// One map entry as the layout of the map entry gives it.
Bytes entryBlock(const ExpectedEntry& entry, int64_t entryCount) {
    ByteBuilder block;
    block.text("PM").u16(0).u32(entryCount).u32(entry.start).u32(entry.size);
    field(block, entry.name, 32);
    field(block, entry.type, 32);
    block.u32(0).u32(entry.size).u32(entry.status).u32(0).u32(entry.bootSize);
    block.u32(0).u32(0).u32(0).u32(0).u32(entry.bootChecksum);
    field(block, entry.processor, 16);
    for (int64_t value : entry.trailer) block.u8(value);
    block.zeros(512 - block.size());
    return block;
}

const ExpectedEntry mapEntry{"Apple_partition_map", "Apple", 1, 63, 55};
const ExpectedEntry driverEntry{"Apple_Driver43", "Macintosh", 64, 32, 127, 9392, 0xF624, "68000", defaultTrailer};

ExpectedEntry volumeEntry(const std::string& type, const std::string& name, int64_t start, int64_t size) {
    return {type, name, start, size, type == "Apple_HFS" || type == "Apple_MFS" ? 183 : 55};
}

Bytes blockOf(const Bytes& image, int64_t block, int64_t count = 1) {
    return Bytes(image.begin() + block * 512, image.begin() + (block + count) * 512);
}

// Bytes that mark where an existing volume lands.
ImageBytes pattern(int64_t blocks, uint8_t seed) {
    Bytes bytes(static_cast<size_t>(blocks * 512));
    for (size_t index = 0; index < bytes.size(); ++index) bytes[index] = static_cast<uint8_t>(seed + index * 7);
    return ImageBytes(std::move(bytes));
}

struct Layout {
    const char* label;
    int64_t deviceBlocks;
    std::function<std::vector<VolumeDescriptor>()> volumes;
    // Volume entries in map order (the map's and the driver's come first).
    std::vector<ExpectedEntry> entries;
};

const std::vector<Layout>& layouts() {
    static const std::vector<Layout> table{
        {"one HFS volume filling a 20 MB device", 40960,
         [] { return std::vector{VolumeDescriptor::newBlankVolume("Macintosh HD", 0, 40864, VolumeType::hfs)}; },
         {volumeEntry("Apple_HFS", "Macintosh HD", 96, 40864)}},
        {"several volumes, largest first, the unreadable one without an entry", 100000,
         [] {
             return std::vector{
                 VolumeDescriptor::newBlankVolume("Old Floppy", 0, 800, VolumeType::mfs),
                 VolumeDescriptor::newBlankVolume("Big HD", 0, 60000, VolumeType::hfs),
                 VolumeDescriptor::fromExistingData("Unix", 0, pattern(10, 3), VolumeType::aux),
                 VolumeDescriptor::fromExistingData("Lost", 0, pattern(1000, 5), VolumeType::hfs),
                 VolumeDescriptor::newBlankVolume("Rest", 0, 0, VolumeType::mfs),
             };
         },
         {volumeEntry("Apple_HFS", "Big HD", 96, 60000), volumeEntry("Apple_MFS", "Old Floppy", 61096, 800),
          volumeEntry("Apple_Unix_SVR2", "Unix", 61896, 10), volumeEntry("Apple_MFS", "Rest", 61906, 38094)}},
        {"HFS volumes of equal size keep their order", 5000,
         [] {
             return std::vector{VolumeDescriptor::newBlankVolume("First", 0, 2000, VolumeType::hfs),
                                VolumeDescriptor::newBlankVolume("Second", 0, 2000, VolumeType::hfs),
                                VolumeDescriptor::newBlankVolume("Third, a name of more than 32 letters", 0, 904,
                                                                 VolumeType::hfs)};
         },
         {volumeEntry("Apple_HFS", "First", 96, 2000), volumeEntry("Apple_HFS", "Second", 2096, 2000),
          volumeEntry("Apple_HFS", "Third, a name of more than 32 le", 4096, 904)}},
    };
    return table;
}

Bytes buildImage(const Layout& layout, const SCSIDriver& driver = SCSIDriver::appleHDSC735()) {
    auto creator = MacintoshImageCreator::withCapacityInBlocks(target, layout.deviceBlocks);
    creator.partition(layout.volumes(), driver);
    return testing::imageOfQueue(creator.physicalFile);
}

TEST(MacintoshImageCreatorLayout, FirstFourBlocksByteForByte) {
    for (const auto& layout : layouts()) {
        SCOPED_TRACE(layout.label);
        const Bytes image = buildImage(layout);
        ASSERT_EQ(image.size(), static_cast<size_t>(layout.deviceBlocks * 512));
        const auto count = static_cast<int64_t>(2 + layout.entries.size());
        EXPECT_EQ(blockOf(image, 0), driverDescriptorBlock(layout.deviceBlocks, 64, 19));
        EXPECT_EQ(blockOf(image, 1), entryBlock(mapEntry, count));
        EXPECT_EQ(blockOf(image, 2), entryBlock(driverEntry, count));
        EXPECT_EQ(blockOf(image, 3), entryBlock(layout.entries.front(), count));
    }
}

TEST(MacintoshImageCreatorLayout, EveryEntryInAllocationOrder) {
    for (const auto& layout : layouts()) {
        SCOPED_TRACE(layout.label);
        const Bytes image = buildImage(layout);
        const auto count = static_cast<int64_t>(2 + layout.entries.size());
        for (size_t index = 0; index < layout.entries.size(); ++index) {
            EXPECT_EQ(blockOf(image, 3 + static_cast<int64_t>(index)), entryBlock(layout.entries[index], count))
                << layout.entries[index].name;
        }
        // The rest of the map's blocks stay zero.
        EXPECT_EQ(blockOf(image, 3 + static_cast<int64_t>(layout.entries.size())), Bytes(512, 0));
    }
}

TEST(MacintoshImageCreatorLayout, DriverAndVolumesLandInTheirBlocks) {
    const Bytes& driver = SCSIDriver::appleHDSC735().driverData.toBytes();
    for (const auto& layout : layouts()) {
        SCOPED_TRACE(layout.label);
        const Bytes image = buildImage(layout);
        EXPECT_EQ(blockOf(image, 64, 32), driver);
        for (const auto& entry : layout.entries) {
            if (entry.type != "Apple_HFS") continue;
            // A blank HFS volume: its master directory block and the
            // alternate copy, nothing else.
            const Bytes header = blockOf(image, entry.start + 2);
            EXPECT_EQ(header[0], 'B');
            EXPECT_EQ(header[1], 'D');
            EXPECT_EQ(MasterDirectoryBlock(ImageBytes(header)).drVN, "Untitled");
            EXPECT_EQ(blockOf(image, entry.start + entry.size - 2), header) << entry.name;
            EXPECT_EQ(blockOf(image, entry.start), Bytes(512, 0));
        }
    }
    // The existing volumes of the second layout: the A/UX bytes at their
    // entry's start; the unreadable ones keep the blocks allocated to them,
    // but nothing is written there.
    const Bytes image = buildImage(layouts()[1]);
    EXPECT_EQ(blockOf(image, 61896, 10), pattern(10, 3).toBytes());
    EXPECT_EQ(blockOf(image, 60096, 1000), Bytes(1000 * 512, 0));
}

TEST(MacintoshImageCreatorLayout, QueueOrder) {
    auto creator = MacintoshImageCreator::withCapacityInBlocks(target, 1000);
    creator.partition({VolumeDescriptor::fromExistingData("Unix", 0, pattern(4, 1), VolumeType::aux)},
                      SCSIDriver::appleHDSC735());
    std::vector<std::pair<int64_t, size_t>> queue;
    for (const auto& [block, bytes] : creator.physicalFile.blocksToInstall()) queue.emplace_back(block, bytes.size());
    EXPECT_EQ(queue, (std::vector<std::pair<int64_t, size_t>>{{0, 512}, {1, 512}, {2, 512}, {3, 512},
                                                               {64, 16384}, {96, 2048}}));
}

TEST(MacintoshImageCreatorPatches, SilverliningGetsItsPatchAndTheDeviceSize) {
    const SCSIDriver& driver = SCSIDriver::silverLining531();
    auto creator = MacintoshImageCreator::withCapacityInBlocks(target, 70000);
    creator.partition({VolumeDescriptor::newBlankVolume("HD", 0, 60000, VolumeType::hfs)}, driver);
    const auto& queue = creator.physicalFile.blocksToInstall();
    // The patched block 0 replaces the first one, queued last.
    EXPECT_EQ(std::count_if(queue.begin(), queue.end(), [](const auto& run) { return run.first == 0; }), 1);
    EXPECT_EQ(queue.back().first, 0);

    const Bytes image = testing::imageOfQueue(creator.physicalFile);
    Bytes expected = driverDescriptorBlock(70000, 64, 11);
    const auto& patch = driver.descriptorPatch->front();
    ASSERT_EQ(patch.offset, 252);
    ASSERT_EQ(patch.data.size(), 219u);
    std::copy(patch.data.begin(), patch.data.end(), expected.begin() + 252);
    const Bytes size = ByteBuilder().u32(70000);
    const Bytes last = ByteBuilder().u32(70000 - 16);
    std::copy(size.begin(), size.end(), expected.begin() + 256);
    std::copy(last.begin(), last.end(), expected.begin() + 412);
    EXPECT_EQ(blockOf(image, 0), expected);

    EXPECT_EQ(blockOf(image, 2), entryBlock({"Apple_Driver", "Macintosh_SL", 64, 32, 127, 0, 0, "68000", {}}, 3));
    EXPECT_EQ(blockOf(image, 64, 32), driver.driverData.toBytes());
}

// Another driver with patches gets them, but not the Silverlining values.
TEST(MacintoshImageCreatorPatches, PatchesApplyInListOrder) {
    SCSIDriver driver = SCSIDriver::appleHDSC735();
    driver.descriptorPatch = std::vector<SCSIDriver::DriverDescriptorPatch>{
        {100, ImageBytes(Bytes{1, 2, 3, 4})}, {102, ImageBytes(Bytes{9})}, {508, ImageBytes(Bytes{7, 7, 7, 7})}};
    auto creator = MacintoshImageCreator::withCapacityInBlocks(target, 200);
    creator.partition({}, driver);
    const Bytes image = testing::imageOfQueue(creator.physicalFile);
    Bytes expected = driverDescriptorBlock(200, 64, 19);
    const std::pair<size_t, uint8_t> patched[] = {{100, 1}, {101, 2}, {102, 9}, {103, 4},
                                                   {508, 7}, {509, 7}, {510, 7}, {511, 7}};
    for (const auto& [offset, value] : patched) expected[offset] = value;
    EXPECT_EQ(blockOf(image, 0), expected);

    // An empty list patches nothing; a patch past the block is refused.
    driver.descriptorPatch = std::vector<SCSIDriver::DriverDescriptorPatch>{};
    auto plain = MacintoshImageCreator::withCapacityInBlocks(target, 200);
    plain.partition({}, driver);
    EXPECT_EQ(blockOf(testing::imageOfQueue(plain.physicalFile), 0), driverDescriptorBlock(200, 64, 19));
    driver.descriptorPatch = std::vector<SCSIDriver::DriverDescriptorPatch>{{510, ImageBytes(Bytes{1, 2, 3})}};
    auto overlong = MacintoshImageCreator::withCapacityInBlocks(target, 200);
    testing::expectError<PhysicalBlockFileError>(PhysicalBlockFileError::Case::patchTooLarge,
                                                 [&] { overlong.partition({}, driver); });
}

TEST(MacintoshImageCreatorCapacity, UnitsGiveExactSizes) {
    const auto megabytes = MacintoshImageCreator::withCapacityInMB(target, 20);
    EXPECT_EQ(megabytes.physicalFile.sizeInBytes, 20971520);
    EXPECT_EQ(megabytes.deviceBlockCount(), 40960);
    EXPECT_EQ(megabytes.blockSize, 512);
    EXPECT_EQ(megabytes.physicalFile.blockSize(), 512);
    EXPECT_TRUE(megabytes.physicalFile.blocksToInstall().empty());
    EXPECT_EQ(MacintoshImageCreator::withCapacityInBytes(target, 1000).physicalFile.sizeInBytes, 1000);
    EXPECT_EQ(MacintoshImageCreator::withCapacityInBytes(target, 1000).deviceBlockCount(), 1);
    EXPECT_EQ(MacintoshImageCreator::withCapacityInKB(target, 3).physicalFile.sizeInBytes, 3072);
    EXPECT_EQ(MacintoshImageCreator::withCapacityInGB(target, 2).physicalFile.sizeInBytes, int64_t{2} << 30);
    EXPECT_EQ(MacintoshImageCreator::withCapacityInBlocks(target, 7).physicalFile.sizeInBytes, 3584);
    EXPECT_THROW(MacintoshImageCreator::withCapacityInGB(target, int64_t{1} << 40), ArithmeticOverflowError);

    auto megabyteDevice = MacintoshImageCreator::withCapacityInMB(target, 20);
    megabyteDevice.partition({}, SCSIDriver::appleHDSC735());
    EXPECT_EQ(DriverDescriptor(ImageBytes(megabyteDevice.physicalFile.blocksToInstall().front().second)).sbBlkCount(),
              40960);
}

TEST(MacintoshImageCreatorCapacity, FolderURLsAreRefused) {
    for (const URL& url : {URL::fileURLWithPath("/tmp/folder/"), *URL::parse("https://example.com/device.img")}) {
        testing::expectError<PhysicalBlockFileError>(PhysicalBlockFileError::Case::invalidFileURL,
                                                     [&] { MacintoshImageCreator::withCapacityInMB(url, 20); });
    }
}

TEST(MacintoshImageCreatorCapacity, DriverStartsSoThatItEndsInBlock95) {
    EXPECT_EQ(MacintoshImageCreator::driverStartBlock(SCSIDriver::appleHDSC735()), 64);
    EXPECT_EQ(MacintoshImageCreator::driverStartBlock(SCSIDriver::appleDS173Chained()), 42);
}

// A refused layout leaves nothing queued.
template <typename Error>
void expectRefusedBeforeQueuing(int64_t deviceBlocks, const std::vector<VolumeDescriptor>& volumes,
                                const Error& expected, const SCSIDriver& driver = SCSIDriver::appleHDSC735()) {
    auto creator = MacintoshImageCreator::withCapacityInBlocks(target, deviceBlocks);
    testing::expectError(expected, [&] { creator.partition(volumes, driver); });
    EXPECT_TRUE(creator.physicalFile.blocksToInstall().empty());
}

TEST(MacintoshImageCreatorRefusals, TooManyVolumesForTheMap) {
    std::vector<VolumeDescriptor> volumes;
    for (int index = 0; index < 62; ++index) {
        volumes.push_back(VolumeDescriptor::newBlankVolume("V", 0, 1, VolumeType::mfs));
    }
    expectRefusedBeforeQueuing(1000, volumes, PartitionMapError(PartitionMapError::Case::tooManyPartitions, 64));

    // 61 volumes fill the map's 63 entries and leave the driver whole.
    volumes.pop_back();
    auto creator = MacintoshImageCreator::withCapacityInBlocks(target, 1000);
    creator.partition(volumes, SCSIDriver::appleHDSC735());
    const Bytes image = testing::imageOfQueue(creator.physicalFile);
    EXPECT_EQ(blockOf(image, 63)[0], 'P');
    EXPECT_EQ(blockOf(image, 64, 32), SCSIDriver::appleHDSC735().driverData.toBytes());
}

TEST(MacintoshImageCreatorRefusals, LayoutsThatDoNotFit) {
    expectRefusedBeforeQueuing(1000, {VolumeDescriptor::newBlankVolume("HD", 0, 905, VolumeType::hfs)},
                               VolumeDescriptorError(VolumeDescriptorError::Case::volumeSizeOverflow, 1001));
    // Too small for the device header.
    expectRefusedBeforeQueuing(95, {}, VolumeDescriptorError(VolumeDescriptorError::Case::volumeSizeOverflow, 96));
    expectRefusedBeforeQueuing(int64_t{1} << 32, {},
                               PartitionMapError(PartitionMapError::Case::deviceTooLarge, int64_t{1} << 32));
    // A driver that leaves no room for the map in front of block 96.
    SCSIDriver huge = SCSIDriver::appleHDSC735();
    huge.driverData = ImageBytes(Bytes(95 * 512, 1));
    expectRefusedBeforeQueuing(1000, {}, PartitionMapError(PartitionMapError::Case::invalidDriverStartBlock, 1),
                               huge);
}

// The largest device whose size fits block 0: 2^32 - 1 blocks.
TEST(MacintoshImageCreatorRefusals, LargestDevice) {
    auto creator = MacintoshImageCreator::withCapacityInBlocks(target, 0xFFFFFFFFLL);
    creator.partition({VolumeDescriptor::newBlankVolume("Rest", 0, 0, VolumeType::mfs)}, SCSIDriver::silverLining531());
    const auto& block0 = creator.physicalFile.blocksToInstall().back().second;
    EXPECT_EQ(Bytes(block0.begin() + 4, block0.begin() + 8), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Bytes(block0.begin() + 412, block0.begin() + 416), (Bytes{0xFF, 0xFF, 0xFF, 0xEF}));
}

TEST(MacintoshImageCreatorRefusals, PartialBlocksAreRefusedByTheWriter) {
    auto creator = MacintoshImageCreator::withCapacityInBlocks(target, 1000);
    try {
        creator.partition({VolumeDescriptor::fromExistingData("Odd", 0, ImageBytes(Bytes(1000, 1)), VolumeType::aux)},
                          SCSIDriver::appleHDSC735());
        ADD_FAILURE() << "queued";
    } catch (const PhysicalBlockFileError& error) {
        EXPECT_EQ(error.errorCase, PhysicalBlockFileError::Case::invalidBlockSize);
        EXPECT_EQ(error.payload, 1000);
    }
}

// Every device built here reads back with its layout and its driver.
TEST(MacintoshImageCreatorReadBack, DevicesReadBackWithTheirDriver) {
    for (const auto& [driver, driverType] :
         {std::pair{&SCSIDriver::appleHDSC735(), "Apple_Driver43"}, {&SCSIDriver::silverLining531(), "Apple_Driver"}}) {
        for (const auto& layout : layouts()) {
            SCOPED_TRACE(std::string(layout.label) + " with " + driver->name);
            const MacintoshDevice device(ImageBytes(buildImage(layout, *driver)));
            EXPECT_EQ(device.blockSize, 512);
            EXPECT_EQ(device.targetOS(), SupportedOS::macintosh);
            const auto& entries = device.partitionMap.partitions;
            ASSERT_EQ(entries.size(), 2 + layout.entries.size());
            EXPECT_EQ(entries[0].pmParType, "Apple_partition_map");
            EXPECT_EQ(entries[1].pmParType, driverType);
            ASSERT_TRUE(entries[1].scsiDriver);
            EXPECT_EQ(*entries[1].scsiDriver, *driver);
            EXPECT_EQ(entries[1].partitionName(), driver->name);
            for (size_t index = 0; index < layout.entries.size(); ++index) {
                const auto& entry = entries[2 + index];
                EXPECT_EQ(entry.pmParType, layout.entries[index].type);
                EXPECT_EQ(entry.pmPyPartStart, layout.entries[index].start);
                EXPECT_EQ(entry.pmPartBlkCnt, layout.entries[index].size);
                if (entry.isInteresting()) {
                    ASSERT_TRUE(device.volumeDescriptors.contains(entry.pmPyPartStart));
                    const auto& descriptor = device.volumeDescriptors.at(entry.pmPyPartStart);
                    EXPECT_EQ(descriptor.sizeInBlocks, entry.pmPartBlkCnt);
                    EXPECT_EQ(descriptor.name(), "MacOS");
                }
            }
        }
    }
}

}  // namespace
}  // namespace zorv
