#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntry.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionType.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeType.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// One volume to be placed in, or found in, a Macintosh device image: its
// name, kind, size in blocks, the block of the device where it starts, and
// the bytes to write, keyed by block offset within the volume.
//
// A volume that exists as bytes (a volume file, a partition of a device
// read) carries them whole under offset 0, as a slice of the buffer they came
// in: nothing is copied. A new blank volume carries only its header blocks.
// The partition map places the volumes with allocateBlocks() and writes each
// entry of blocksToInstall at the volume's start block plus its offset.
class VolumeDescriptor {
public:
    // Every descriptor counts 512-byte blocks.
    static constexpr int64_t defaultBlockSize = 512;
    // The name every blank HFS volume gets on disk, whatever the descriptor's
    // name (which goes into the partition map).
    static constexpr const char* blankVolumeName = "Untitled";

    // Bytes per block.
    int64_t blockSize = defaultBlockSize;
    // The bytes to write, keyed by block offset within the volume; a value
    // may span many blocks and is written from its key onwards.
    std::map<int64_t, ImageBytes> blocksToInstall;
    // The volume's length in blocks; 0 means all the space that is left when
    // the volumes are allocated.
    int64_t sizeInBlocks = 0;

    // Every field as given; no parsed volume. What allocateBlocks() returns.
    VolumeDescriptor(std::string name, int64_t startBlock, int64_t sizeInBlocks,
                     std::map<int64_t, ImageBytes> blocksToInstall, VolumeType volumeType);

    // A volume that exists as bytes: they are installed whole at offset 0 and
    // sizeInBlocks is their count of whole blocks (a partial block is still
    // installed). The bytes are opened as the given kind: HFS (an HFS wrapper
    // around an HFS+ volume becomes hfsPlus, with the embedded volume), HFS+,
    // MFS (taken as it is, without a check), ProDOS (in either sector order),
    // DOS 3.3 (taken as it is, without the probe's check: it always opens).
    // A volume that does not open becomes `unreadable`, without a parsed
    // volume; nothing is thrown. A/UX and unreadable ones are not opened.
    static VolumeDescriptor fromExistingData(std::string name, int64_t startBlock, ImageBytes existingData,
                                             VolumeType volumeType);

    // A new blank volume of that size. An HFS volume gets the two copies of a
    // new master directory block (volume name "Untitled") at offsets 2 and
    // size - 2; MFS, DOS 3.3, A/UX and unreadable volumes get nothing. Throws
    // VolumeDescriptorError: volumeTooSmall for a negative size and for an
    // HFS volume below MasterDirectoryBlock::minimumBlankVolumeBlocks (0, all
    // the space left, included: its header blocks are placed from the size
    // asked for), volumeTooLarge for one above maximumBlankVolumeBlocks. A
    // blank HFS+ volume is its two volume headers (at least 4 blocks); a blank
    // ProDOS volume is the whole formatted volume (at most 65,535 blocks, the
    // partition keeping its size) in ProDOS block order under offset 0.
    static VolumeDescriptor newBlankVolume(std::string name, int64_t startBlock, int64_t sizeInBlocks,
                                           VolumeType volumeType);

    const std::string& name() const { return name_; }
    VolumeType volumeType() const { return volumeType_; }
    // The volume opened from existing bytes; null for blank volumes, for
    // volumes that did not open and after allocation.
    const std::shared_ptr<const VolumeRepresentable>& parsedVolume() const { return parsedVolume_; }
    // The block of the device where the volume starts.
    int64_t startBlock() const { return startBlock_; }
    // The bytes under offset 0; empty when there are none.
    ImageBytes dataBlock() const;

    // The partition that locates the volume, with its start block, size and
    // name: appleHFS for HFS and HFS+, appleMFS, applePRODOS for ProDOS and
    // DOS 3.3, appleUnixSVR2 for A/UX; appleVoid for an unreadable volume.
    PartitionType partitionType() const;
    // The map entry of that partition alone: a map of 0 entries, in the
    // descriptor's block size.
    PartitionMapEntry partitionMapEntry() const;

    // Places the volumes end to end from `startBlock` in a device of
    // `availableSizeInBlocks` blocks, largest first (a stable sort: equal
    // sizes keep their order); the first volume of size 0 gets every block
    // left after the sized ones, a further one 0 blocks at the device's end.
    // The result, in that order, carries the same names, kinds and bytes with
    // their start blocks and sizes set, and no parsed volume. Throws
    // volumeSizeOverflow (the start block plus every size) when the volumes
    // do not fit, and volumeTooSmall for a negative size.
    static std::vector<VolumeDescriptor> allocateBlocks(const std::vector<VolumeDescriptor>& volumes,
                                                        int64_t startBlock, int64_t availableSizeInBlocks);

private:
    std::string name_;
    VolumeType volumeType_;
    std::shared_ptr<const VolumeRepresentable> parsedVolume_;
    int64_t startBlock_ = 0;
};

}  // namespace zorv
