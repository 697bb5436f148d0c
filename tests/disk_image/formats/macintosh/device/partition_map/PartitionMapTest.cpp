#include <gtest/gtest.h>

#include "disk_image/formats/macintosh/device/partition_map/PartitionMap.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapError.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

using Case = PartitionType::Case;

const std::vector<int64_t> defaultTrailer{0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 7, 0, 0};

// The HD SC Setup 7.3.5 driver (32 blocks) ends at block 95.
constexpr int64_t driverStart = 64;

PartitionMapVolume volume(PartitionType type, std::map<int64_t, ImageBytes> blocks = {}) {
    return PartitionMapVolume{std::move(type), 512, std::move(blocks)};
}

std::optional<PartitionMapError> layoutError(const std::vector<PartitionMapVolume>& volumes, int64_t blockCount,
                                             int64_t driverStartBlock = driverStart,
                                             const SCSIDriver& driver = SCSIDriver::appleHDSC735()) {
    try {
        PartitionMap(volumes, blockCount, driverStartBlock, driver);
    } catch (const PartitionMapError& error) {
        return error;
    }
    return std::nullopt;
}

// The default driver and two volumes placed largest first: the HFS volume
// at 96, the ProDOS volume after it.
TEST(PartitionMap, LayoutWithTheDefaultDriver) {
    const Bytes header(512, 0xAB);
    const PartitionMap map({volume(PartitionType::appleHFS(96, 65535, "Macintosh HD"), {{2, ImageBytes(header)}}),
                            volume(PartitionType::applePRODOS(65631, 40000, "PRODOS"))},
                           200000, driverStart, SCSIDriver::appleHDSC735());

    const struct {
        const char* type;
        const char* name;
        int64_t start;
        int64_t size;
        int64_t status;
    } expected[] = {
        {"Apple_partition_map", "Apple", 1, 63, 55},
        {"Apple_Driver43", "Macintosh", 64, 32, 127},
        {"Apple_HFS", "Macintosh HD", 96, 65535, 183},
        {"Apple_PRODOS", "PRODOS", 65631, 40000, 55},
    };
    ASSERT_EQ(map.partitions.size(), std::size(expected));
    for (size_t index = 0; index < map.partitions.size(); ++index) {
        const auto& entry = map.partitions[index];
        SCOPED_TRACE(expected[index].type);
        EXPECT_EQ(entry.pmParType, expected[index].type);
        EXPECT_EQ(entry.pmPartName, expected[index].name);
        EXPECT_EQ(entry.pmPyPartStart, expected[index].start);
        EXPECT_EQ(entry.pmPartBlkCnt, expected[index].size);
        EXPECT_EQ(entry.pmPartStatus.rawValue, expected[index].status);
        EXPECT_EQ(entry.pmMapBlkCnt, 4);
        EXPECT_EQ(entry.physicalBlockSizeInBytes, 512);
    }
    const auto& driver = map.partitions[1];
    EXPECT_EQ(driver.pmBootSize, 9392);
    EXPECT_EQ(driver.pmBootCksum, 0xF624);
    EXPECT_EQ(driver.pmProcessor, "68000");
    EXPECT_EQ(driver.trailer, defaultTrailer);

    EXPECT_EQ(map.existingData, std::vector<InjectableData>({{98, ImageBytes(header)}}));

    // The records go to blocks 1 to 4, the volume data stays out of them.
    const Bytes records = map.dataBlock();
    ASSERT_EQ(records.size(), 2048u);
    for (size_t index = 0; index < 4; ++index) {
        const Bytes record = map.partitions[index].dataBlock();
        EXPECT_TRUE(std::equal(record.begin(), record.end(), records.begin() + static_cast<std::ptrdiff_t>(512 * index)));
    }
}

TEST(PartitionMap, OldSCSIManagerDriverGetsAnAppleDriverEntry) {
    const PartitionMap map(std::vector<PartitionMapVolume>{}, 1000, driverStart, SCSIDriver::silverLining531());
    ASSERT_EQ(map.partitions.size(), 2u);
    const auto& driver = map.partitions[1];
    EXPECT_EQ(driver.pmParType, "Apple_Driver");
    EXPECT_EQ(driver.pmPartName, "Macintosh_SL");
    EXPECT_EQ(driver.pmPartStatus.rawValue, 127);
    EXPECT_EQ(driver.pmBootSize, 0);
    EXPECT_EQ(driver.pmBootCksum, 0);
    EXPECT_EQ(driver.pmProcessor, "68000");
    EXPECT_TRUE(driver.trailer.empty());
}

TEST(PartitionMap, NoVolumes) {
    const PartitionMap map(std::vector<PartitionMapVolume>{}, 96, driverStart, SCSIDriver::appleHDSC735());
    ASSERT_EQ(map.partitions.size(), 2u);
    for (const auto& entry : map.partitions) EXPECT_EQ(entry.pmMapBlkCnt, 2);
    EXPECT_TRUE(map.existingData.empty());
    EXPECT_EQ(map.dataBlock().size(), 1024u);
}

// The driver's size is its whole blocks; the map covers every block between
// block 0 and the driver.
TEST(PartitionMap, DriverSizeAndMapSizeFollowTheDriver) {
    SCSIDriver odd = SCSIDriver::appleHDSC735();
    odd.driverData = ImageBytes(Bytes(20000, 1));  // 39 whole blocks
    const int64_t start = 96 - PartitionMap::driverSizeInBlocks(odd);
    EXPECT_EQ(start, 57);
    const PartitionMap map(std::vector<PartitionMapVolume>{}, 1000, start, odd);
    EXPECT_EQ(map.partitions[0].partitionType, PartitionType::applePartitionMap(1, 56));
    EXPECT_EQ(map.partitions[1].partitionType, PartitionType::appleDriver43(57, 39, defaultTrailer));
    EXPECT_EQ(PartitionMap::driverSizeInBlocks(SCSIDriver::appleDS173Chained()), 54);
}

// Every volume type gets an entry that locates it, A/UX volumes included,
// and its blocks at its start plus their offsets.
TEST(PartitionMap, VolumesAndTheirBlocks) {
    const Bytes a(512, 1), b(1024, 2), c(512, 3);
    const PartitionMap map({volume(PartitionType::appleUnixSVR2(96, 500, "A/UX"), {{0, ImageBytes(a)}, {2, ImageBytes(b)}}),
                            volume(PartitionType::appleMFS(596, 300, "MFS"), {{0, ImageBytes(c)}}),
                            volume(PartitionType::applePRODOS(896, 104, "P8"))},
                           1000, driverStart, SCSIDriver::appleHDSC735());
    ASSERT_EQ(map.partitions.size(), 5u);
    EXPECT_EQ(map.partitions[2].partitionType, PartitionType::appleUnixSVR2(96, 500, "A/UX"));
    EXPECT_EQ(map.partitions[2].pmPyPartStart, 96);
    EXPECT_EQ(map.partitions[2].pmPartBlkCnt, 500);
    EXPECT_EQ(map.partitions[2].pmPartName, "A/UX");
    EXPECT_EQ(map.partitions[2].pmPartStatus.rawValue, 0x37);
    EXPECT_EQ(map.partitions[3].pmParType, "Apple_MFS");
    EXPECT_EQ(map.partitions[4].pmParType, "Apple_PRODOS");
    for (const auto& entry : map.partitions) EXPECT_EQ(entry.pmMapBlkCnt, 5);
    EXPECT_EQ(map.existingData,
              std::vector<InjectableData>({{96, ImageBytes(a)}, {98, ImageBytes(b)}, {596, ImageBytes(c)}}));
}

// The map has room for every block between block 0 and the driver: 63
// entries with the default driver, so 61 volumes.
TEST(PartitionMap, RefusesMoreEntriesThanFitBeforeTheDriver) {
    EXPECT_EQ(PartitionMap::entryCapacity(driverStart), 63);
    const struct {
        int64_t volumes;
        int64_t driverStartBlock;
        std::optional<int64_t> refusedCount;
    } cases[] = {
        {61, 64, std::nullopt}, {62, 64, 64}, {200, 64, 202}, {0, 3, std::nullopt}, {1, 3, 3}, {0, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.volumes << " volumes, driver at " << c.driverStartBlock);
        if (c.refusedCount) {
            testing::expectError(PartitionMapError(PartitionMapError::Case::tooManyPartitions, *c.refusedCount),
                                 [&] { PartitionMap::checkLayout(c.volumes, 100000, c.driverStartBlock); });
        } else {
            EXPECT_NO_THROW(PartitionMap::checkLayout(c.volumes, 100000, c.driverStartBlock));
        }
    }

    std::vector<PartitionMapVolume> volumes;
    for (int64_t index = 0; index < 62; ++index) volumes.push_back(volume(PartitionType::appleHFS(96 + index, 1, "V")));
    EXPECT_EQ(layoutError(volumes, 1000), PartitionMapError(PartitionMapError::Case::tooManyPartitions, 64));
    volumes.pop_back();
    EXPECT_EQ(layoutError(volumes, 1000), std::nullopt);
}

TEST(PartitionMap, RefusesLayoutsWhoseValuesDoNotFit) {
    using Error = PartitionMapError;
    const auto hfs = [](int64_t start, int64_t size) { return volume(PartitionType::appleHFS(start, size, "HD")); };
    // A device of 2^32 blocks: its size does not fit block 0 or the entries.
    EXPECT_EQ(layoutError({}, 0x100000000LL), Error(Error::Case::deviceTooLarge, 0x100000000LL));
    EXPECT_EQ(layoutError({hfs(96, 0xFFFFFFFFLL - 96)}, 0xFFFFFFFFLL), std::nullopt);
    EXPECT_EQ(layoutError({}, 1000, 1), Error(Error::Case::invalidDriverStartBlock, 1));
    EXPECT_EQ(layoutError({}, 1000, -5), Error(Error::Case::invalidDriverStartBlock, -5));
    // The driver must end inside the device.
    EXPECT_EQ(layoutError({}, 95, driverStart), Error(Error::Case::invalidDriverStartBlock, 64));
    // Volumes lie between the driver's end and the device's end.
    EXPECT_EQ(layoutError({hfs(95, 10)}, 1000), Error(Error::Case::volumeOutsideDevice, 95));
    EXPECT_EQ(layoutError({hfs(96, 905)}, 1000), Error(Error::Case::volumeOutsideDevice, 96));
    EXPECT_EQ(layoutError({hfs(96, -1)}, 1000), Error(Error::Case::volumeOutsideDevice, 96));
    EXPECT_EQ(layoutError({hfs(96, 904)}, 1000), std::nullopt);
    EXPECT_EQ(layoutError({hfs(INT64_MAX, 2)}, 1000), Error(Error::Case::volumeOutsideDevice, INT64_MAX));
}

TEST(PartitionMap, SortedPartitionsFollowTheStartBlock) {
    const auto entry = [](int64_t start, const char* name) {
        return PartitionMapEntry(PartitionType::appleHFS(start, 10, name), 4, 512);
    };
    const PartitionMap map({entry(96, "a"), entry(1, "b"), entry(64, "c"), entry(1, "d")});
    std::vector<std::string> sorted;
    for (const auto& e : map.sortedPartitions()) sorted.push_back(e.pmPartName);
    EXPECT_EQ(sorted, std::vector<std::string>({"b", "d", "c", "a"}));
    EXPECT_EQ(map.partitions[0].pmPartName, "a");
    EXPECT_TRUE(map.existingData.empty());
}

}  // namespace
}  // namespace zorv
