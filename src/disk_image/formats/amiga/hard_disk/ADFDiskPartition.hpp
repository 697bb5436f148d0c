#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/amiga/AmigaBlockable.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskGeometry.hpp"
#include "disk_image/model/PartitionMapEntryRepresentable.hpp"

namespace zorv {

// One partition block ("PART") of an Amiga hard disk: the partition's name
// and its DOS environment (where it lies in cylinders, and how AmigaDOS
// mounts it), with the volume the hard disk opened in it. The signature and
// checksum are read, never checked.
//
// The partition is laid out in its own geometry: AmigaDOS mounts it with
// the environment's surfaces and blocks per track, which partitioning tools
// may set apart from the drive's to tune the cylinder size. Only when either
// is 0 does the drive's geometry stand in. Start, size and the volume's root
// block all follow from that geometry.
struct ADFDiskPartition : AmigaBlockable<ADFDiskPartition>, PartitionMapEntryRepresentable {
    // The bytes read: every field up to bootBlocks.
    static constexpr int64_t readSize = 208;

    std::string id;
    int64_t sizeInLongs = 0;
    int64_t checksum = 0;
    int64_t hostID = 0;
    int64_t next = -1;  // the next partition block, -1 at the end
    int64_t flags = 0;
    int64_t devFlags = 0;
    std::string driveName;
    // The DOS environment.
    int64_t sizeOfVector = 0;
    int64_t blockSize = 0;  // in bytes (stored in longs)
    int64_t secOrg = 0;
    int64_t surfaces = 0;
    int64_t sectorsPerBlock = 0;
    int64_t blocksPerTrack = 0;
    int64_t reservedBlocks = 0;
    int64_t preAlloc = 0;
    int64_t interleave = 0;
    int64_t lowCyl = 0;  // first cylinder
    int64_t hiCyl = 0;   // last cylinder, inclusive
    int64_t numBuffer = 0;
    int64_t bufMemType = 0;
    int64_t maxTransfer = 0;
    int64_t mask = 0;
    int64_t bootPri = 0;
    std::string dosType;  // "DOS" for every flavour byte
    int64_t baud = 0;
    int64_t control = 0;
    int64_t bootBlocks = 0;

    // The partition's layout: hiCyl - lowCyl + 1 cylinders (0 when hiCyl is
    // below lowCyl), the environment's blocks per track and surfaces (the
    // drive's when either is 0) and the drive's block size.
    ADFDiskGeometry geometry;

    // Reads the first readSize bytes of `block`. `driveGeometry` is the Rigid
    // Disk Block's cylinders, sectors, heads and block size. Throws
    // ReadPastEndError for a shorter block and
    // ADFDiskError::invalidGeometryInHardDrive when the start, the block
    // count or the byte size does not fit a 64-bit integer.
    ADFDiskPartition(const ImageBytes& block, const ADFDiskGeometry& driveGeometry);

    // The blocks before the volume's first file system block, which place
    // its root block: the environment's reservedBlocks, 2 when it says 0.
    int64_t volumeReservedBlocks() const;
    // The partition's length in blocks of the drive.
    int64_t sizeInBlocks() const { return sizeInBlocks_; }

    // Nothing writes partition blocks: 512 zero bytes.
    std::vector<Bytes> dataBlockArray() const;

    // PartitionMapEntryRepresentable
    // The volume's name when it has one, else the drive name.
    std::string partitionTypeLabel() const override;
    std::string partitionName() const override { return driveName; }
    int64_t sizeInBytes() const override { return sizeInBytes_; }
    bool isInteresting() const override { return true; }
    bool hasWarning() const override { return false; }
    std::optional<ImageBytes> partitionData() const override { return std::nullopt; }
    std::shared_ptr<const VolumeRepresentable> associatedVolume() const override { return associatedVolume_; }
    void setAssociatedVolume(std::shared_ptr<const VolumeRepresentable> volume) override {
        associatedVolume_ = std::move(volume);
    }
    std::string preferredName() const override { return partitionTypeLabel(); }
    // lowCyl x sectors x heads of the partition's geometry.
    int64_t startPhysicalBlock() const override { return startBlock_; }
    int64_t sizeInPhysicalBlocks() const override { return sizeInBlocks_; }

private:
    int64_t startBlock_ = 0;
    int64_t sizeInBlocks_ = 0;
    int64_t sizeInBytes_ = 0;
    std::shared_ptr<const VolumeRepresentable> associatedVolume_;
};

}  // namespace zorv
