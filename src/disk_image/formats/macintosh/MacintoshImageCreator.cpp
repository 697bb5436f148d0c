#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "data_access/CheckedMath.hpp"
#include "data_access/FieldEncoder.hpp"
#include "disk_image/blocks/PhysicalBlockFileError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreatorError.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptor.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMap.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntryError.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"

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

// A volume converted to a device gets this many blocks after it.
constexpr int64_t blocksAfterConvertedVolume = 3;
// The partition name of an HFS volume without a master directory block.
constexpr const char* uninitializedVolumeName = "<Not Initialized>";
// The largest block count the 32-bit fields of block 0 and the map hold.
constexpr int64_t largestDeviceBlockCount = 0xFFFFFFFFLL;

// In a partition map entry: pmLgDataStart, and the low-order byte of
// pmPartStatus.
constexpr int64_t logicalDataStartOffset = 80;
constexpr int64_t logicalDataStartLength = 4;
constexpr int64_t partitionStatusLowByteOffset = 91;
// The low-order status byte of an HFS entry once the driver is replaced, as
// HD SC Setup writes it.
constexpr uint8_t hfsPartitionStatusLowByte = 0xB7;

void requireFileURL(const URL& fileURL) {
    if (!fileURL.isFileURL() || fileURL.hasDirectoryPath()) {
        throw PhysicalBlockFileError(PhysicalBlockFileError::Case::invalidFileURL);
    }
}

// The volume a conversion places in a device: its partition name, kind and
// bytes (its whole 512-byte blocks).
struct ConvertibleVolume {
    std::string name;
    VolumeType volumeType;
    ImageBytes bytes;
};

// The volume of a volume file, when it is one a device can take by
// conversion. Detection has already unwrapped a Disk Copy 4.2 image: the
// volume's bytes are those of the disk, without the container's header and
// tags.
ConvertibleVolume convertibleVolume(const VolumeRepresentable& volume) {
    ConvertibleVolume converted;
    if (const auto* hfs = dynamic_cast<const HFSVolume*>(&volume)) {
        const auto& mdb = hfs->masterDirectoryBlock();
        converted = {mdb ? mdb->drVN : uninitializedVolumeName, VolumeType::hfs, hfs->structureData};
    } else if (const auto* proDOS = dynamic_cast<const ProDOSVolume*>(&volume)) {
        // An Apple II reads a partition in ProDOS block order, whatever order
        // the file kept its sectors in.
        converted = {proDOS->volumeDirectoryHeader().name, VolumeType::proDOS, proDOS->dataInProDOSBlockOrder()};
    } else {
        throw MacintoshImageCreatorError(MacintoshImageCreatorError::Case::noValidVolume);
    }
    // HFS and ProDOS address whole blocks: a partial one after the last
    // (a download's trailer, padding) is no part of the volume.
    const auto byteCount = static_cast<int64_t>(converted.bytes.size());
    converted.bytes = converted.bytes.slice(0, byteCount - byteCount % VolumeDescriptor::defaultBlockSize);
    return converted;
}

// The device a conversion reads from, which must be a Macintosh device.
const MacintoshDevice& macintoshDevice(const DeviceRepresentable& device) {
    const auto* macintosh = dynamic_cast<const MacintoshDevice*>(&device);
    if (macintosh == nullptr) throw MacintoshImageCreatorError(MacintoshImageCreatorError::Case::noValidDevice);
    return *macintosh;
}

// An entry of a device's map as stored: its block and the record read.
struct StoredEntry {
    int64_t block;
    PartitionMapEntry entry;
};

// The map of a device as stored in 512-byte blocks from block 1.
struct StoredMap {
    // As the device reader takes them: entries of an unknown type are left
    // out (they keep their blocks).
    std::vector<StoredEntry> entries;
    // The last block of the map.
    int64_t lastBlock = 0;
};

StoredMap storedMap(const ImageBytes& image) {
    constexpr int64_t entrySize = PartitionMapEntry::recordSize;
    const int64_t blockCount = static_cast<int64_t>(image.size()) / entrySize;
    const int64_t firstBlock = MacintoshDevice::partitionMapPosition;
    if (blockCount <= firstBlock) throw MacintoshImageCreatorError(MacintoshImageCreatorError::Case::noValidDevice);
    const int64_t entryCount = PartitionMapEntry(image.slice(firstBlock * entrySize, entrySize)).pmMapBlkCnt;
    StoredMap map;
    for (int64_t block = firstBlock; block <= entryCount && block < blockCount; ++block) {
        map.lastBlock = block;
        try {
            map.entries.push_back({block, PartitionMapEntry(image.slice(block * entrySize, entrySize))});
        } catch (const PartitionMapEntryError& error) {
            if (error.errorCase != PartitionMapEntryError::Case::unknownPartitionType) throw;
        }
    }
    return map;
}

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

    physicalFile.installBlock(driverDescriptor.driverLocations.front().ddBlock(), scsiDriver.driverData);

    // The volumes' bytes are queued as they lie (a volume file, a partition
    // of another device), not copied.
    for (const auto& run : partitionMap.existingData) physicalFile.installBlock(run.startBlock, run.data);

    if (!scsiDriver.descriptorPatch) return;
    for (const auto& patch : *scsiDriver.descriptorPatch) physicalFile.patchBlock(0, patch.offset, patch.data);
    if (scsiDriver == SCSIDriver::silverLining531()) {
        physicalFile.patchBlock(0, silverLiningBlockCountOffset, blockZeroEncoder.longInteger(blockCount));
        physicalFile.patchBlock(0, silverLiningLastBlockOffset,
                                blockZeroEncoder.longInteger(blockCount - silverLiningReservedBlocks));
    }
}

void MacintoshImageCreator::createFromVolume(const URL& fileURL, const VolumeRepresentable& volume) {
    const ConvertibleVolume converted = convertibleVolume(volume);
    const auto sizeInBlocks = static_cast<int64_t>(converted.bytes.size()) / defaultBlockSize;

    auto creator = withCapacityInBlocks(
        fileURL, checked::add(sizeInBlocks, deviceHeaderBlockCount + blocksAfterConvertedVolume));
    // The map describes the volume at block 96; its bytes go there as they
    // are, written from the volume itself rather than queued as a copy.
    creator.partition(
        {VolumeDescriptor(converted.name, deviceHeaderBlockCount, sizeInBlocks, {}, converted.volumeType)},
        SCSIDriver::appleHDSC735());
    creator.physicalFile.installBlock(deviceHeaderBlockCount, converted.bytes);
    creator.physicalFile.generateFile(true);
}

void MacintoshImageCreator::createFromPartition(const URL& fileURL, int64_t partitionIndex,
                                                const DeviceRepresentable& device) {
    createFromVolumeDescriptor(fileURL, macintoshDevice(device).volumeDescriptorForPartition(partitionIndex));
}

void MacintoshImageCreator::createFromInterestingPartition(const URL& fileURL, int64_t interestingPartitionIndex,
                                                           const DeviceRepresentable& device) {
    createFromVolumeDescriptor(
        fileURL, macintoshDevice(device).volumeDescriptorForInterestingPartition(interestingPartitionIndex));
}

void MacintoshImageCreator::createFromVolumeDescriptor(const URL& fileURL, const VolumeDescriptor& descriptor) {
    // An entry that claims no blocks holds no volume: an empty file is none.
    if (descriptor.sizeInBlocks <= 0) {
        throw MacintoshImageCreatorError(MacintoshImageCreatorError::Case::emptyPartition);
    }
    auto creator = withCapacityInBlocks(fileURL, descriptor.sizeInBlocks);
    const ImageBytes data = descriptor.dataBlock();
    const int64_t kept = std::min(static_cast<int64_t>(data.size()) / defaultBlockSize * defaultBlockSize,
                                  creator.physicalFile.sizeInBytes);
    // The partition's bytes, written from the device image as they lie.
    if (kept > 0) creator.physicalFile.installBlock(0, data.slice(0, kept));
    creator.physicalFile.generateFile(true);
}

std::optional<int64_t> MacintoshImageCreator::lidoPartition(const DeviceRepresentable& device) {
    if (dynamic_cast<const MacintoshDevice*>(&device) == nullptr) return std::nullopt;
    const auto partitions = device.devicePartitions();
    for (size_t index = 0; index < partitions.size(); ++index) {
        const auto* entry = dynamic_cast<const PartitionMapEntry*>(partitions[index].get());
        if (entry != nullptr && entry->scsiDriver && *entry->scsiDriver == SCSIDriver::lido()) {
            return static_cast<int64_t>(index);
        }
    }
    return std::nullopt;
}

void MacintoshImageCreator::replaceLido(const URL& fileURL, int64_t inPartition,
                                        const DeviceRepresentable& deviceRead) {
    using Error = MacintoshImageCreatorError;
    requireFileURL(fileURL);
    const MacintoshDevice& device = macintoshDevice(deviceRead);
    if (device.blockSize != defaultBlockSize) throw Error(Error::Case::unsupportedBlockSize, device.blockSize);

    const std::vector<PartitionMapEntry> partitions = device.partitionMap.sortedPartitions();
    for (const PartitionMapEntry& entry : partitions) {
        if (device.isCutShort(entry)) throw Error(Error::Case::partitionPastEndOfImage, entry.pmPyPartStart);
    }
    if (inPartition < 0 || inPartition >= static_cast<int64_t>(partitions.size())) {
        throw Error(Error::Case::noValidDevice);
    }
    const PartitionMapEntry& lido = partitions[static_cast<size_t>(inPartition)];
    if (!lido.scsiDriver || *lido.scsiDriver != SCSIDriver::lido()) throw Error(Error::Case::noLidoDriver);

    const SCSIDriver& driver = SCSIDriver::appleHDSC735();
    const ImageBytes& image = device.structureData;
    const int64_t blockCount = static_cast<int64_t>(image.size()) / defaultBlockSize;
    if (blockCount > largestDeviceBlockCount) {
        throw PartitionMapError(PartitionMapError::Case::deviceTooLarge, blockCount);
    }
    const int64_t partitionBytes = checked::mul(lido.pmPartBlkCnt, defaultBlockSize);
    if (partitionBytes < static_cast<int64_t>(driver.driverData.size())) {
        throw Error(Error::Case::driverPartitionTooSmall, partitionBytes);
    }

    // The entries where they lie in the map, in the device's order of
    // partitions (by start block, equal starts in map order): the Lido
    // entry's own block is found there, not guessed from its position.
    const StoredMap map = storedMap(image);
    std::vector<const StoredEntry*> byStart;
    for (const auto& entry : map.entries) byStart.push_back(&entry);
    std::stable_sort(byStart.begin(), byStart.end(), [](const StoredEntry* a, const StoredEntry* b) {
        return a->entry.pmPyPartStart < b->entry.pmPyPartStart;
    });
    if (inPartition >= static_cast<int64_t>(byStart.size())) throw Error(Error::Case::noValidDevice);
    const StoredEntry& lidoStored = *byStart[static_cast<size_t>(inPartition)];
    if (lidoStored.entry.pmPyPartStart != lido.pmPyPartStart || lidoStored.entry.pmPartBlkCnt != lido.pmPartBlkCnt ||
        lido.pmPyPartStart <= map.lastBlock || !checked::rangeFits(lido.pmPyPartStart, lido.pmPartBlkCnt, blockCount)) {
        // A driver written there would land on block 0, the map or past the
        // image's end.
        throw Error(Error::Case::noValidDevice);
    }

    // The blocks that change, each starting from the bytes it holds.
    std::map<int64_t, Bytes> changed;
    const auto blockBytes = [&](int64_t block) -> Bytes& {
        auto found = changed.find(block);
        if (found == changed.end()) {
            found = changed.emplace(block, image.slice(block * defaultBlockSize, defaultBlockSize).toBytes()).first;
        }
        return found->second;
    };

    blockBytes(MacintoshDevice::driverDescriptorPosition) =
        DriverDescriptor(defaultBlockSize, blockCount, lido.pmPyPartStart, driver.ddSize).dataBlock();
    Bytes& firstEntry = blockBytes(MacintoshDevice::partitionMapPosition);
    std::fill_n(firstEntry.begin() + logicalDataStartOffset, logicalDataStartLength, uint8_t{0});
    for (const auto& entry : map.entries) {
        if (entry.entry.partitionType.kind() == PartitionType::Case::appleHFS) {
            blockBytes(entry.block)[partitionStatusLowByteOffset] = hfsPartitionStatusLowByte;
        }
    }
    blockBytes(lidoStored.block) =
        PartitionMapEntry(PartitionType::appleDriver43(lido.pmPyPartStart, lido.pmPartBlkCnt, driver.trailer),
                          lido.pmMapBlkCnt, defaultBlockSize)
            .dataBlock();

    // The copy: the input as it lies, then the blocks that change and the
    // new driver over it.
    auto creator = withCapacityInBytes(fileURL, static_cast<int64_t>(image.size()));
    if (!image.empty()) creator.physicalFile.installBlock(0, image);
    for (auto& [block, bytes] : changed) creator.physicalFile.installBlock(block, std::move(bytes));
    creator.physicalFile.installBlock(lido.pmPyPartStart, driver.driverData);

    // A new file beside an existing one is refused, as a copy would be.
    const std::filesystem::path folder = std::filesystem::path(fileURL.path()).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder);
    creator.physicalFile.generateFile(false);
}

}  // namespace zorv
