#include "disk_image/formats/macintosh/device/partition_map/PartitionMap.hpp"

#include <algorithm>

#include "data_access/CheckedMath.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapError.hpp"

namespace zorv {
namespace {

// The largest value of a 32-bit field of block 0 and of the map entries.
constexpr int64_t largestBlockCount = 0xFFFFFFFFLL;

// The volumes as the layout places them: checked against the map's room
// first, then allocated from the driver's end, the unreadable ones left out.
std::vector<PartitionMapVolume> placedVolumes(const std::vector<VolumeDescriptor>& volumes, int64_t blockCount,
                                              int64_t driverStartBlock, const SCSIDriver& scsiDriver) {
    PartitionMap::checkLayout(PartitionMap::volumeEntryCount(volumes), blockCount, driverStartBlock);
    const int64_t firstVolumeBlock = checked::add(driverStartBlock, PartitionMap::driverSizeInBlocks(scsiDriver));
    std::vector<PartitionMapVolume> placed;
    for (const auto& volume : VolumeDescriptor::allocateBlocks(volumes, firstVolumeBlock, blockCount)) {
        if (volume.volumeType() == VolumeType::unreadable) continue;
        placed.push_back(PartitionMapVolume{volume.partitionType(), volume.blockSize, volume.blocksToInstall});
    }
    return placed;
}

}  // namespace

PartitionMap::PartitionMap(std::vector<PartitionMapEntry> partitions) : partitions(std::move(partitions)) {}

PartitionMap::PartitionMap(const std::vector<PartitionMapVolume>& volumes, int64_t blockCount,
                           int64_t driverStartBlock, const SCSIDriver& scsiDriver) {
    const auto volumeCount = static_cast<int64_t>(volumes.size());
    checkLayout(volumeCount, blockCount, driverStartBlock);
    const int64_t entryCount = 2 + volumeCount;
    const int64_t driverSize = driverSizeInBlocks(scsiDriver);
    const int64_t firstVolumeBlock = checked::add(driverStartBlock, driverSize);
    // Volumes placed by the allocation never leave this; it is checked so
    // that no entry can locate a driver beyond the device.
    if (firstVolumeBlock > blockCount) {
        throw PartitionMapError(PartitionMapError::Case::invalidDriverStartBlock, driverStartBlock);
    }

    partitions.reserve(static_cast<size_t>(entryCount));
    partitions.emplace_back(PartitionType::applePartitionMap(1, driverStartBlock - 1), entryCount, blockSize);
    partitions.emplace_back(
        scsiDriver.prefersOldSCSIManager
            ? PartitionType::appleDriver(driverStartBlock, driverSize, scsiDriver.preferredPartitionName)
            : PartitionType::appleDriver43(driverStartBlock, driverSize, scsiDriver.trailer),
        entryCount, blockSize);

    for (const auto& volume : volumes) {
        const int64_t start = volume.partitionType.startBlock();
        const int64_t size = volume.partitionType.sizeInBlocks();
        if (start < firstVolumeBlock || start > blockCount || size < 0 || size > blockCount - start) {
            throw PartitionMapError(PartitionMapError::Case::volumeOutsideDevice, start);
        }
        partitions.emplace_back(volume.partitionType, entryCount, volume.blockSize);
        for (const auto& [offset, bytes] : volume.blocksToInstall) {
            existingData.push_back(InjectableData{checked::add(start, offset), bytes});
        }
    }
}

PartitionMap::PartitionMap(const std::vector<VolumeDescriptor>& volumes, int64_t blockCount,
                           int64_t driverStartBlock, const SCSIDriver& scsiDriver)
    : PartitionMap(placedVolumes(volumes, blockCount, driverStartBlock, scsiDriver), blockCount, driverStartBlock,
                   scsiDriver) {}

int64_t PartitionMap::volumeEntryCount(const std::vector<VolumeDescriptor>& volumes) {
    return std::count_if(volumes.begin(), volumes.end(),
                         [](const VolumeDescriptor& volume) { return volume.volumeType() != VolumeType::unreadable; });
}

int64_t PartitionMap::driverSizeInBlocks(const SCSIDriver& scsiDriver) {
    return static_cast<int64_t>(scsiDriver.driverData.size()) / blockSize;
}

void PartitionMap::checkLayout(int64_t volumeEntryCount, int64_t blockCount, int64_t driverStartBlock) {
    if (blockCount > largestBlockCount) throw PartitionMapError(PartitionMapError::Case::deviceTooLarge, blockCount);
    if (driverStartBlock < 2) {
        throw PartitionMapError(PartitionMapError::Case::invalidDriverStartBlock, driverStartBlock);
    }
    const int64_t entryCount = checked::add(2, std::max<int64_t>(volumeEntryCount, 0));
    if (entryCount > entryCapacity(driverStartBlock)) {
        throw PartitionMapError(PartitionMapError::Case::tooManyPartitions, entryCount);
    }
}

std::vector<Bytes> PartitionMap::dataBlockArray() const {
    std::vector<Bytes> records;
    records.reserve(partitions.size());
    for (const auto& entry : partitions) records.push_back(entry.dataBlock());
    return records;
}

std::vector<PartitionMapEntry> PartitionMap::sortedPartitions() const {
    std::vector<PartitionMapEntry> sorted = partitions;
    std::stable_sort(sorted.begin(), sorted.end(), [](const PartitionMapEntry& a, const PartitionMapEntry& b) {
        return a.pmPyPartStart < b.pmPyPartStart;
    });
    return sorted;
}

}  // namespace zorv
