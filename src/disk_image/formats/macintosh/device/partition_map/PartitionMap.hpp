#pragma once

#include <cstdint>
#include <vector>

#include "disk_image/formats/macintosh/device/partition_map/InjectableData.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntry.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapVolume.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"

namespace zorv {

// The Apple partition map of a device: its entries in map order and, for a
// device under construction, the volume blocks that go with them. Its records
// (dataBlock) go to consecutive blocks from block 1; the volume blocks
// (existingData) are not part of them.
class PartitionMap : public HFSBlockable<PartitionMap> {
public:
    // Every device image is built in blocks of this size.
    static constexpr int64_t blockSize = 512;

    // Entry 1 first.
    std::vector<PartitionMapEntry> partitions;
    // The runs of volume blocks to write; empty for a map that was read.
    std::vector<InjectableData> existingData;

    PartitionMap() = default;
    // A map as read from a device.
    explicit PartitionMap(std::vector<PartitionMapEntry> partitions);

    // Lays out a new device of blockCount 512-byte blocks whose driver starts
    // at driverStartBlock. The volumes come in allocation order, already
    // placed from the driver's end. The entries: the map itself (block 1 up
    // to the driver), the driver (an Apple_Driver43 entry with its trailer,
    // or an Apple_Driver entry with its preferred name when the driver
    // prefers the old SCSI Manager; the size is the driver's whole blocks),
    // then one entry per volume; every entry counts them all. Each volume's
    // blocks become runs of existingData at its start block plus their
    // offset. Of the driver only its preferences, its trailer and its byte
    // count are read. Throws what checkLayout() throws,
    // invalidDriverStartBlock when the driver does not end inside the device,
    // and volumeOutsideDevice for a volume that starts before the driver's end
    // or ends past the device.
    PartitionMap(const std::vector<PartitionMapVolume>& volumes, int64_t blockCount, int64_t driverStartBlock,
                 const SCSIDriver& scsiDriver);

    // Lays out a new device from the volumes to place, in the order given:
    // checks the layout (checkLayout() with the volumes that are not
    // unreadable), places the volumes end to end from the driver's end with
    // VolumeDescriptor::allocateBlocks() (largest first; it throws
    // VolumeDescriptorError::volumeSizeOverflow when they do not fit), and
    // gives each volume that is not unreadable its entry and its blocks, in
    // allocation order. An unreadable volume keeps the blocks the allocation
    // gave it, but gets no entry and writes nothing.
    PartitionMap(const std::vector<VolumeDescriptor>& volumes, int64_t blockCount, int64_t driverStartBlock,
                 const SCSIDriver& scsiDriver);

    // The entries the volumes need in a map: one per volume that is not
    // unreadable.
    static int64_t volumeEntryCount(const std::vector<VolumeDescriptor>& volumes);

    // The driver's whole blocks, a partial block dropped.
    static int64_t driverSizeInBlocks(const SCSIDriver& scsiDriver);
    // How many entries fit between block 0 and a driver starting at that
    // block: 63 with a driver of 32 blocks that ends at block 95.
    static int64_t entryCapacity(int64_t driverStartBlock) { return driverStartBlock - 1; }
    // Refuses a layout before anything is written: deviceTooLarge when the
    // device has 2^32 blocks or more, invalidDriverStartBlock when the driver
    // starts before block 2, tooManyPartitions when the map's own entry, the
    // driver's and one per volume (unreadable volumes, which get none, not
    // counted) exceed entryCapacity().
    static void checkLayout(int64_t volumeEntryCount, int64_t blockCount, int64_t driverStartBlock);

    // One 512-byte record per entry, in map order.
    std::vector<Bytes> dataBlockArray() const;

    // The entries by ascending start block; entries with the same start keep
    // their map order.
    std::vector<PartitionMapEntry> sortedPartitions() const;
};

}  // namespace zorv
