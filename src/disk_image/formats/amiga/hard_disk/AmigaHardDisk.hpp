#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/amiga/hard_disk/ADFDiskFileSystemHeader.hpp"
#include "disk_image/formats/amiga/hard_disk/ADFDiskPartition.hpp"
#include "disk_image/formats/amiga/hard_disk/ADFDiskRigidDiskBlock.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/PhysicalDiskRepresentable.hpp"

namespace zorv {

// An Amiga hard-disk image with a Rigid Disk Block: the whole image,
// addressed in the drive's blocks (the block's blockBytes), its partitions
// in chain order with the Amiga DOS volume of each, and the file systems
// stored on the drive. Each volume reads a slice of the image's one buffer.
//
// Damaged disks: a chain (partitions, file system headers, load segments)
// that comes to a block any chain already read ends there, keeping what was
// read, so no chain loops and no block is read twice; a pointer outside the
// image refuses the whole disk. Partitions that do not overlap cover at most
// the image: once the partitions tried as volumes cover as many blocks as the
// image holds, the later ones are listed without a volume, so a disk whose
// partitions all claim the same blocks cannot make the reader open them
// over and over.
class AmigaHardDisk : public BlockStructureDefinable, public DeviceRepresentable, public PhysicalDiskRepresentable {
public:
    // The Rigid Disk Block is looked for at each multiple of this many bytes.
    static constexpr int64_t searchStep = 512;
    // The smallest block size of a drive; every block size is a multiple.
    static constexpr int64_t minimumBlockSize = 512;

    // The 512-byte block at which the Rigid Disk Block was found.
    int64_t rigidDiskBlockBlockLocation = 0;
    std::vector<ADFDiskPartition> partitions;
    std::vector<ADFDiskFileSystemHeader> fileSystemHeaders;

    // Reads a hard disk: finds "RDSK" at the first multiple of 512 bytes that
    // holds it, takes the drive's block size from it, then follows the
    // partition chain (opening each partition that lies inside the image as
    // an Amiga DOS volume, in its own geometry and reserved blocks) and the
    // file system header chain with the load segments of each. Throws:
    // - ADFDiskError::noRigidDiskBlockInHardDrive for an empty image or one
    //   without "RDSK";
    // - ADFDiskError::invalidGeometryInHardDrive for a block size of 0, below
    //   512 or not a multiple of 512, and for a drive or partition geometry
    //   whose block or byte counts do not fit a 64-bit integer;
    // - BlockStructureDefinableError::unreacheableBlock for a Rigid Disk
    //   Block cut short by the end of the image and for a chain pointer
    //   outside the image.
    explicit AmigaHardDisk(ImageBytes block);

    // The probe of format detection, never throwing: the hard disk when the
    // image begins with "RDSK" and reads, nothing otherwise.
    static std::optional<AmigaHardDisk> fromImageData(const ImageBytes& imageData);

    // The Rigid Disk Block read again from the image, blockSize bytes where
    // it was found. Throws unreacheableBlock when the image does not hold
    // them.
    ADFDiskRigidDiskBlock rigidDiskBlock() const;

    // DeviceRepresentable
    // The drive's vendor, product and revision, each followed by a space but
    // the last.
    std::string deviceName() const override;
    std::optional<std::string> additionalName() const override { return std::nullopt; }
    SupportedOS targetOS() const override { return SupportedOS::amiga; }
    // The partitions in chain order.
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> devicePartitions() const override;
    // The drive's block size.
    int64_t physicalBlockSize() const override;
    // The volume of the partition at that index; null without one or outside
    // the list.
    std::shared_ptr<const VolumeRepresentable> volumeForPartition(int64_t index) const override;
    const PhysicalDiskRepresentable* physicalDisk() const override { return this; }

    // PhysicalDiskRepresentable: the drive's cylinders, sectors and heads,
    // with no sector map.
    int64_t trackCount() const override;
    int64_t sectorCount() const override;
    int64_t sideCount() const override;
    bool canBeShownGraphically() const override { return false; }
    std::vector<OccupiedSector> occupiedSectors() const override { return {}; }
    VolumeItem itemAt(int64_t, int64_t, int64_t) const override { return nullptr; }
    std::vector<SectorAddress> sectorsFor(const VolumeItem&) const override { return {}; }

private:
    // The blocks of every chain read so far.
    using ChainBlocks = std::set<int64_t>;

    // The block a chain pointer leads to, or nothing at the chain's end (-1)
    // and at a block already read. Throws unreacheableBlock outside the image.
    std::optional<ImageBytes> chainBlock(int64_t pointer, ChainBlocks& read) const;
    void readPartitions(int64_t first, const ADFDiskGeometry& driveGeometry, ChainBlocks& read);
    void readFileSystems(int64_t first, ChainBlocks& read);
    // The volume of a partition that lies inside the image, or null; an
    // attempt takes the partition's blocks from `budget`, and none is made
    // when fewer are left.
    std::shared_ptr<const VolumeRepresentable> partitionVolume(const ADFDiskPartition& partition,
                                                               int64_t& budget) const;

    // The Rigid Disk Block as the constructor read it.
    ADFDiskRigidDiskBlock drive_;
};

}  // namespace zorv
