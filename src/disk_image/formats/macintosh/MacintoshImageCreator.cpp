#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"

#include "data_access/CheckedMath.hpp"
#include "data_access/FieldEncoder.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptor.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMap.hpp"

namespace zorv {
namespace {

constexpr int64_t kilobyte = 1024;

// Where Silverlining 5.31 expects the device's size in block 0, inside its
// own patch: the block count, and the block count less 16.
constexpr int64_t silverLiningBlockCountOffset = 256;
constexpr int64_t silverLiningLastBlockOffset = 412;
constexpr int64_t silverLiningReservedBlocks = 16;

// Block 0 is a Macintosh record: big-endian; a value outside 32 bits throws
// rather than wrap.
constexpr FieldEncoder blockZeroEncoder{Endianness::bigEndian, TextEncoding::macOSRoman};

}  // namespace

MacintoshImageCreator::MacintoshImageCreator(const URL& fileURL, int64_t sizeInBytes)
    : ImageCreatorRepresentable(PhysicalBlockFile(fileURL, sizeInBytes, defaultBlockSize), defaultBlockSize) {}

MacintoshImageCreator MacintoshImageCreator::withCapacityInBytes(const URL& fileURL, int64_t capacity) {
    return MacintoshImageCreator(fileURL, capacity);
}

MacintoshImageCreator MacintoshImageCreator::withCapacityInKB(const URL& fileURL, int64_t capacity) {
    return MacintoshImageCreator(fileURL, checked::mul(capacity, kilobyte));
}

MacintoshImageCreator MacintoshImageCreator::withCapacityInMB(const URL& fileURL, int64_t capacity) {
    return MacintoshImageCreator(fileURL, checked::mul(capacity, kilobyte * kilobyte));
}

MacintoshImageCreator MacintoshImageCreator::withCapacityInGB(const URL& fileURL, int64_t capacity) {
    return MacintoshImageCreator(fileURL, checked::mul(capacity, kilobyte * kilobyte * kilobyte));
}

MacintoshImageCreator MacintoshImageCreator::withCapacityInBlocks(const URL& fileURL, int64_t capacity) {
    return MacintoshImageCreator(fileURL, checked::mul(capacity, defaultBlockSize));
}

int64_t MacintoshImageCreator::driverStartBlock(const SCSIDriver& scsiDriver) {
    return deviceHeaderBlockCount - PartitionMap::driverSizeInBlocks(scsiDriver);
}

int64_t MacintoshImageCreator::deviceBlockCount() const { return physicalFile.sizeInBytes / physicalFile.blockSize(); }

void MacintoshImageCreator::partition(const std::vector<VolumeDescriptor>& volumes, const SCSIDriver& scsiDriver) {
    const int64_t driverStart = driverStartBlock(scsiDriver);
    const int64_t blockCount = deviceBlockCount();

    // The whole layout is settled before the first block is queued, so that
    // a refused layout leaves the file as it was.
    const PartitionMap partitionMap(volumes, blockCount, driverStart, scsiDriver);
    // A map that was laid out has a device of fewer than 2^32 blocks that
    // holds the driver, at least 96 blocks: both Silverlining values fit.

    const DriverDescriptor driverDescriptor(blockSize, blockCount, driverStart, scsiDriver.ddSize);
    physicalFile.installBlock(0, driverDescriptor.dataBlock());

    int64_t mapBlock = 1;
    for (Bytes& record : partitionMap.dataBlockArray()) physicalFile.installBlock(mapBlock++, std::move(record));

    physicalFile.installBlock(driverDescriptor.driverLocations.front().ddBlock(), scsiDriver.driverData.toBytes());

    for (const auto& run : partitionMap.existingData) physicalFile.installBlock(run.startBlock, run.data.toBytes());

    if (!scsiDriver.descriptorPatch) return;
    for (const auto& patch : *scsiDriver.descriptorPatch) physicalFile.patchBlock(0, patch.offset, patch.data);
    if (scsiDriver == SCSIDriver::silverLining531()) {
        physicalFile.patchBlock(0, silverLiningBlockCountOffset, blockZeroEncoder.longInteger(blockCount));
        physicalFile.patchBlock(0, silverLiningLastBlockOffset,
                                blockZeroEncoder.longInteger(blockCount - silverLiningReservedBlocks));
    }
}

}  // namespace zorv
