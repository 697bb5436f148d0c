#pragma once

#include <cstdint>
#include <vector>

#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"
#include "disk_image/model/ImageCreatorRepresentable.hpp"
#include "platform/URL.hpp"

namespace zorv {

// Builds a new Macintosh SCSI device image in a PhysicalBlockFile: the driver
// descriptor record in block 0, the Apple partition map from block 1, the
// SCSI driver ending in block 95 and the volumes from block 96 on, in
// 512-byte blocks. Nothing is written until physicalFile.generateFile().
//
// Made with the device's capacity in one unit (no rounding: the file is
// exactly that many bytes); without partition() the file is all zeros.
class MacintoshImageCreator : public ImageCreatorRepresentable {
public:
    // The block size of every device image built here.
    static constexpr int64_t defaultBlockSize = 512;
    // Blocks before the first volume; the driver ends in the last of them.
    static constexpr int64_t deviceHeaderBlockCount = 96;

    // Each throws PhysicalBlockFileError::invalidFileURL unless the URL is a
    // file URL that does not name a folder, and ArithmeticOverflowError when
    // the size in bytes does not fit a signed 64-bit integer.
    static MacintoshImageCreator withCapacityInBytes(const URL& fileURL, int64_t capacity);
    static MacintoshImageCreator withCapacityInKB(const URL& fileURL, int64_t capacity);
    static MacintoshImageCreator withCapacityInMB(const URL& fileURL, int64_t capacity);
    static MacintoshImageCreator withCapacityInGB(const URL& fileURL, int64_t capacity);
    static MacintoshImageCreator withCapacityInBlocks(const URL& fileURL, int64_t capacity);

    // The block where the driver starts so that it ends in block 95: 64 for
    // a driver of 16,384 bytes.
    static int64_t driverStartBlock(const SCSIDriver& scsiDriver);
    // The device's whole 512-byte blocks.
    int64_t deviceBlockCount() const;

    // Lays out the device and queues its blocks: block 0, the map's entries
    // from block 1, the driver at its start block, the volumes' blocks, then
    // the driver's patches of block 0 (for Silverlining 5.31 also the block
    // count at byte 256 and the block count less 16 at byte 412, big-endian).
    //
    // The layout is checked before anything is queued: PartitionMapError
    // (tooManyPartitions when the map's room, driver start - 1 entries, is
    // smaller than 2 + the volumes that are not unreadable; deviceTooLarge for
    // 2^32 blocks or more; invalidDriverStartBlock for a driver that does not
    // fit in front of block 96 or in the device) and
    // VolumeDescriptorError::volumeSizeOverflow when the volumes do not fit.
    // Then the writer's errors pass on at once: invalidBlockSize for bytes
    // that are not whole blocks, blockOutOfBounds, patchTooLarge; the blocks
    // queued before stay queued.
    void partition(const std::vector<VolumeDescriptor>& volumes, const SCSIDriver& scsiDriver);

private:
    MacintoshImageCreator(const URL& fileURL, int64_t sizeInBytes);
};

}  // namespace zorv
