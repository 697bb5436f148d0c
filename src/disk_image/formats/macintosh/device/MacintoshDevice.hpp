#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptor.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMap.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntry.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionType.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "platform/URL.hpp"

namespace zorv {

// A Macintosh SCSI device image as read: the whole image, addressed in the
// device's blocks (sbBlkSize of block 0), its Apple partition map, the SCSI
// driver recognised in each driver partition and a volume descriptor for
// each volume partition. Partitions and volumes are slices of the image's
// one buffer, never copies.
//
// Toast images, marked "MRKS" at byte 1020, are read in 512-byte blocks
// without looking at block 0.
class MacintoshDevice : public BlockStructureDefinable, public DeviceRepresentable {
public:
    // Blocks of the driver descriptor record and of the first map entry.
    static constexpr int64_t driverDescriptorPosition = 0;
    static constexpr int64_t partitionMapPosition = 1;
    // What Toast writes at toastSignatureOffset.
    static constexpr std::array<uint8_t, 4> toastSignature{'M', 'R', 'K', 'S'};
    static constexpr int64_t toastSignatureOffset = 1020;

    // Where the image came from; a file URL with an empty path when the
    // device was made from bytes alone.
    URL diskImageFileURL;
    // The entries read, in map order.
    PartitionMap partitionMap;
    // One descriptor per volume partition (HFS, HFS+, MFS, ProDOS), named
    // "MacOS", keyed by the partition's start block; of two partitions with
    // the same start, the later one in the map.
    std::map<int64_t, VolumeDescriptor> volumeDescriptors;

    // Reads the device. Block 0 gives the block size; the entry at block 1
    // the number of entries, each read from its own block; volume partitions
    // are opened as volumes (Apple_HFS holding "H+" 1,024 bytes into the
    // partition as HFS+), driver partitions matched against the driver
    // catalog. A volume or driver partition that reaches past the end of the
    // image (a dump missing its last blocks) is listed without a volume or
    // driver, so the rest of the device still reads. An entry of an unknown
    // type is left out and its type printed on a line of its own to standard
    // output. Throws:
    // - DriverDescriptorError when block 0 does not begin with "ER" (not for
    //   Toast images);
    // - BlockStructureDefinableError::unreacheableBlock for an image of fewer
    //   than two blocks, a block size smaller than a map entry (152 bytes;
    //   0 included) and a map entry beyond the image (pmMapBlkCnt too large);
    // - PartitionMapEntryError: a block of the map without "PM", an unknown
    //   partition type at block 1; ReadPastEndError for a damaged entry.
    MacintoshDevice(ImageBytes data, URL fileURL);
    explicit MacintoshDevice(ImageBytes data);

    // The probe of format detection: the device when the image begins with
    // "ER" and reads; nothing otherwise, whatever the failure.
    static std::optional<MacintoshDevice> fromImageData(const ImageBytes& imageData);

    // Block 0 read anew in the current block size. Throws DriverDescriptorError
    // and BlockStructureDefinableError::unreacheableBlock.
    DriverDescriptor driverDescriptor() const;
    bool isToastDevice() const;

    // The entries of that type (compared with the type's placeholder values,
    // as the reader sets them) with their index in map order.
    std::vector<std::pair<int64_t, PartitionMapEntry>> partitionMapEntriesOfType(const PartitionType& type) const;
    // A copy of the volume descriptor of the partition at that index of the
    // partitions by start block (devicePartitions()). Throws
    // MacintoshDeviceError::invalidPartitionIndex outside the list and for a
    // partition without a volume, ::partitionPastEndOfImage for a volume
    // partition that reaches past the end of the image.
    VolumeDescriptor volumeDescriptorForPartition(int64_t partitionIndex) const;
    // The same among the interesting partitions (HFS, MFS, ProDOS) by start
    // block: what the command line takes out of a device.
    VolumeDescriptor volumeDescriptorForInterestingPartition(int64_t interestingPartitionIndex) const;

    // The kind a volume partition's bytes are opened as: proDOS for
    // Apple_PRODOS, mfs for Apple_MFS; for Apple_HFS, hfsPlus when the bytes
    // hold "H+" 1,024 bytes in (where an HFS+ volume header lies, whatever the
    // device's block size), hfs otherwise (a partition too short for the test
    // included).
    static VolumeType volumeTypeOfPartition(PartitionType::Case kind, const ImageBytes& partitionBytes);

    // Whether the entry's partition is a volume or driver partition that
    // does not lie wholly inside the image: one the reader could not open.
    bool isCutShort(const PartitionMapEntry& entry) const;

    // DeviceRepresentable
    // "Macintosh SCSI Device".
    std::string deviceName() const override;
    std::optional<std::string> additionalName() const override { return std::nullopt; }
    // The family block 0's first driver is for; other when block 0 cannot be
    // read.
    SupportedOS targetOS() const override;
    // The map's entries by start block (entries with the same start in map
    // order).
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> devicePartitions() const override;
    int64_t physicalBlockSize() const override { return blockSize; }
    // The volume of the partition at that index of devicePartitions() (by
    // start block, not map order); null outside the list or without one.
    std::shared_ptr<const VolumeRepresentable> volumeForPartition(int64_t index) const override;

private:
    void readPartitionMap();
    // The bytes of the entry's partition; unreacheableBlock unless they lie
    // inside the image.
    ImageBytes partitionBytes(const PartitionMapEntry& entry) const;
    VolumeDescriptor descriptorOf(const PartitionMapEntry* entry) const;
};

}  // namespace zorv
