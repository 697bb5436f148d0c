#include <gtest/gtest.h>

#include "disk_image/formats/macintosh/device/partition_map/PartitionMap.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapError.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptorError.hpp"
#include "support/ErrorExpectations.hpp"

// Laying out a device from the volumes to place: allocation, entries and the
// volume blocks, with unreadable volumes left out of the map.
namespace zorv {
namespace {

constexpr int64_t driverStart = 64;

VolumeDescriptor volume(const std::string& name, int64_t size, VolumeType type,
                        std::map<int64_t, ImageBytes> blocks = {}) {
    return VolumeDescriptor(name, 0, size, std::move(blocks), type);
}

struct Row {
    std::string type;
    std::string name;
    int64_t start;
    int64_t size;
};

std::vector<Row> rows(const PartitionMap& map) {
    std::vector<Row> result;
    for (const auto& entry : map.partitions) {
        result.push_back({entry.pmParType, entry.pmPartName, entry.pmPyPartStart, entry.pmPartBlkCnt});
    }
    return result;
}

bool operator==(const Row& a, const Row& b) {
    return a.type == b.type && a.name == b.name && a.start == b.start && a.size == b.size;
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.type << " \"" << row.name << "\" " << row.start << "+" << row.size;
}

TEST(PartitionMapFromVolumeDescriptors, PlacesLargestFirstAndMapsEachKind) {
    const PartitionMap map({volume("P8", 40000, VolumeType::proDOS), volume("HD", 65535, VolumeType::hfs),
                            volume("Plus", 100, VolumeType::hfsPlus), volume("D3", 280, VolumeType::dos33),
                            volume("M", 800, VolumeType::mfs), volume("Unix", 0, VolumeType::aux)},
                           200000, driverStart, SCSIDriver::appleHDSC735());
    EXPECT_EQ(rows(map), (std::vector<Row>{{"Apple_partition_map", "Apple", 1, 63},
                                           {"Apple_Driver43", "Macintosh", 64, 32},
                                           {"Apple_HFS", "HD", 96, 65535},
                                           {"Apple_PRODOS", "P8", 65631, 40000},
                                           {"Apple_MFS", "M", 105631, 800},
                                           {"Apple_PRODOS", "D3", 106431, 280},
                                           {"Apple_HFS", "Plus", 106711, 100},
                                           {"Apple_Unix_SVR2", "Unix", 106811, 93189}}));
    for (const auto& entry : map.partitions) EXPECT_EQ(entry.pmMapBlkCnt, 8);
}

TEST(PartitionMapFromVolumeDescriptors, UnreadableVolumesKeepTheirBlocksButGetNoEntry) {
    const ImageBytes bytes(Bytes(1024, 9));
    const PartitionMap map({volume("A", 100, VolumeType::hfs, {{0, bytes}}),
                            volume("Lost", 300, VolumeType::unreadable, {{0, bytes}}),
                            volume("B", 50, VolumeType::mfs, {{0, bytes}, {2, bytes}})},
                           1000, driverStart, SCSIDriver::appleHDSC735());
    EXPECT_EQ(rows(map), (std::vector<Row>{{"Apple_partition_map", "Apple", 1, 63},
                                           {"Apple_Driver43", "Macintosh", 64, 32},
                                           {"Apple_HFS", "A", 396, 100},
                                           {"Apple_MFS", "B", 496, 50}}));
    for (const auto& entry : map.partitions) EXPECT_EQ(entry.pmMapBlkCnt, 4);
    ASSERT_EQ(map.existingData.size(), 3u);
    EXPECT_EQ(map.existingData[0].startBlock, 396);
    EXPECT_EQ(map.existingData[1].startBlock, 496);
    EXPECT_EQ(map.existingData[2].startBlock, 498);
    // The runs are the descriptors' own bytes.
    EXPECT_EQ(map.existingData[0].data.data(), bytes.data());
}

// An A/UX volume is located by its entry, so its data is reachable.
TEST(PartitionMapFromVolumeDescriptors, AUXVolumeIsLocated) {
    const PartitionMap map({volume("A/UX Root", 500, VolumeType::aux)}, 1000, driverStart,
                           SCSIDriver::appleHDSC735());
    ASSERT_EQ(map.partitions.size(), 3u);
    const auto& entry = map.partitions[2];
    EXPECT_EQ(entry.pmParType, "Apple_Unix_SVR2");
    EXPECT_EQ(entry.pmPartName, "A/UX Root");
    EXPECT_EQ(entry.pmPyPartStart, 96);
    EXPECT_EQ(entry.pmPartBlkCnt, 500);
    EXPECT_EQ(entry.pmDataCnt, 500);
    EXPECT_EQ(entry.pmPartStatus.rawValue, 0x37);
}

// The map has room for driver start - 1 entries: 63 with the 7.3.5 driver,
// so 61 volumes and no more. Unreadable volumes take no room.
TEST(PartitionMapFromVolumeDescriptors, TooManyVolumesAreRefused) {
    std::vector<VolumeDescriptor> volumes;
    for (int index = 0; index < 61; ++index) volumes.push_back(volume("V", 1, VolumeType::mfs));
    EXPECT_EQ(PartitionMap(volumes, 1000, driverStart, SCSIDriver::appleHDSC735()).partitions.size(), 63u);

    volumes.push_back(volume("Lost", 1, VolumeType::unreadable));
    EXPECT_EQ(PartitionMap(volumes, 1000, driverStart, SCSIDriver::appleHDSC735()).partitions.size(), 63u);

    volumes.push_back(volume("V", 1, VolumeType::hfs));
    EXPECT_EQ(PartitionMap::volumeEntryCount(volumes), 62);
    testing::expectError(PartitionMapError(PartitionMapError::Case::tooManyPartitions, 64),
                         [&] { PartitionMap(volumes, 1000, driverStart, SCSIDriver::appleHDSC735()); });
}

TEST(PartitionMapFromVolumeDescriptors, VolumesThatDoNotFitAreRefused) {
    testing::expectError(VolumeDescriptorError(VolumeDescriptorError::Case::volumeSizeOverflow, 996), [&] {
        PartitionMap({volume("A", 900, VolumeType::hfs)}, 995, driverStart, SCSIDriver::appleHDSC735());
    });
    // Even without volumes the driver must end inside the device.
    EXPECT_THROW(PartitionMap(std::vector<VolumeDescriptor>{}, 95, driverStart, SCSIDriver::appleHDSC735()),
                 VolumeDescriptorError);
    testing::expectError<PartitionMapError>(PartitionMapError::Case::deviceTooLarge, [&] {
        PartitionMap(std::vector<VolumeDescriptor>{}, int64_t{1} << 32, driverStart, SCSIDriver::appleHDSC735());
    });
}

}  // namespace
}  // namespace zorv
