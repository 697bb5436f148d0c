#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/ImageCreatorRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "platform/URL.hpp"

namespace zorv {

// Builds a new Macintosh SCSI device image in a PhysicalBlockFile: the driver
// descriptor record in block 0, the Apple partition map from block 1, the
// SCSI driver ending in block 95 and the volumes from block 96 on, in
// 512-byte blocks. Nothing is written until physicalFile.generateFile().
//
// Made with the device's capacity in one unit (no rounding: the file is
// exactly that many bytes); without partition() the file is all zeros.
//
// The static conversions take an image already read and detected (the volume
// of a volume file, the device of a device image) and write another: a
// volume becomes a device, a partition of a device becomes a volume file, and
// a device's Lido driver is replaced by HD SC Setup 7.3.5. What they write of
// the input is queued as slices of its bytes, never copied. Their own
// refusals are MacintoshImageCreatorError; the errors of the volumes, of the
// device and of the writer pass on unchanged.
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

    // Volume to device: writes a device of the volume's whole 512-byte blocks
    // plus 99 (the 96 blocks of the head, 3 after the volume), with HD SC
    // Setup 7.3.5 and one partition at block 96 holding the volume byte for
    // byte, replacing a file already at fileURL. The volume is the one
    // detection found in a volume file, a Disk Copy 4.2 image unwrapped:
    // - HFS: its bytes; the partition is named after the volume (drVN), or
    //   "<Not Initialized>" without a master directory block;
    // - ProDOS: its blocks in ProDOS block order (a DOS-ordered file is
    //   rearranged, whatever its boot blocks hold), under the volume
    //   directory's name.
    // Only whole 512-byte blocks are placed: a partial one after the last is
    // left out. Throws noValidVolume for another kind (HFS+, MFS, DOS
    // 3.3...), and ProDOSDiskError::dosOrderPartialTrack for a DOS-ordered
    // ProDOS file that does not end on a whole track; nothing is written
    // then.
    static void createFromVolume(const URL& fileURL, const VolumeRepresentable& volume);
    // Partition to volume file: the volume of the partition at that index of
    // the device's partitions by start block (volumeDescriptorForPartition),
    // or among its HFS, MFS and ProDOS partitions
    // (volumeDescriptorForInterestingPartition), written as a bare volume
    // file. Throws noValidDevice for a device that is not a Macintosh device;
    // the device's errors pass on (partitionPastEndOfImage for a partition of
    // a dump cut short).
    static void createFromPartition(const URL& fileURL, int64_t partitionIndex, const DeviceRepresentable& device);
    static void createFromInterestingPartition(const URL& fileURL, int64_t interestingPartitionIndex,
                                               const DeviceRepresentable& device);
    // Writes a file of the descriptor's sizeInBlocks blocks holding its bytes
    // for offset 0 (cut to that size), zeros where there are none, replacing
    // a file already at fileURL. A descriptor a device made for a partition
    // holds the whole partition, so the file is its volume byte for byte.
    // Throws emptyPartition, writing nothing, for a size of no blocks.
    static void createFromVolumeDescriptor(const URL& fileURL, const VolumeDescriptor& descriptor);

    // The position, among the device's partitions by start block, of the
    // first that holds the Lido driver (its recognised driver is the
    // catalog's Lido); nothing when none does or the device is not a
    // Macintosh device.
    static std::optional<int64_t> lidoPartition(const DeviceRepresentable& device);
    // Lido replacement: writes a copy of the device image in which the
    // partition at `inPartition` of the device's partitions by start block,
    // which must hold the Lido driver, holds HD SC Setup 7.3.5.
    // Every byte of the input is kept but for these changes:
    // - block 0: a new driver descriptor record (512-byte blocks, the file's
    //   whole blocks, one Macintosh driver at the Lido partition's start);
    // - the map's own first entry (block 1): pmLgDataStart cleared;
    // - each Apple_HFS entry: the low-order byte of pmPartStatus set to 0xB7;
    // - the Lido entry, in its own block of the map: an Apple_Driver43 entry
    //   over the same blocks with the new driver's trailer;
    // - the Lido partition's first 16,384 bytes: the new driver.
    // The folder of fileURL is created when missing; a file already at
    // fileURL is refused (EEXIST) and left as it was, and nothing is written
    // unless the whole copy is. Throws noValidDevice for a device that is not
    // a Macintosh device or an index outside its partitions, noLidoDriver
    // for a partition without the Lido driver, unsupportedBlockSize for a
    // device of other than 512-byte blocks, partitionPastEndOfImage for a
    // device cut short (MacintoshDevice::isCutShort), driverPartitionTooSmall for a
    // Lido partition smaller than the new driver, PartitionMapError::
    // deviceTooLarge for a file of 2^32 blocks or more.
    static void replaceLido(const URL& fileURL, int64_t inPartition, const DeviceRepresentable& device);

private:
    MacintoshImageCreator(const URL& fileURL, int64_t sizeInBytes);
};

}  // namespace zorv
