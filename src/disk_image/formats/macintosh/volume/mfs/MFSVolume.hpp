#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSFileDirectory.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSMasterDirectoryBlock.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// An MFS volume, the flat file system of the first Macintosh floppies: boot
// blocks (sectors 0 and 1), the master directory block (sector 2) and one
// file directory that lists every file; there are no folders. The volume is
// only read: names, dates, capacities, bootability and the file list. File
// contents and the allocation block map are never read.
//
// The value is the image's bytes and its block size; the master directory
// block and the directory are read from them when asked for. Positions
// count `blockSize` bytes (512 for every volume the probe makes).
//
// Every answer of the volume interface is computed without throwing: a
// master directory block that cannot be read gives "No MDB", capacities of
// -1 and no date or file count; a directory that cannot be read gives no
// files.
class MFSVolume : public BlockStructureDefinable, public VolumeRepresentable {
public:
    // 0xD2 0xD7 at byte 1024 marks an MFS volume.
    static constexpr std::array<uint8_t, 2> mfsVolumeSignature = MFSMasterDirectoryBlock::signature;
    // Where the signature lies in the image.
    static constexpr int64_t signatureOffset = 1024;
    // Blocks of the boot blocks, and where the master directory block lies.
    static constexpr int64_t bootBlocksBlockCount = 2;
    static constexpr int64_t masterDirectoryBlockPosition = 2;
    static constexpr int64_t masterDirectoryBlockBlockCount = 2;

    MFSVolume(int64_t blockSize, ImageBytes structureData)
        : BlockStructureDefinable(blockSize, std::move(structureData)) {}

    // The probe of format detection: a volume over the whole image, 512-byte
    // blocks, when bytes 1024 and 1025 are 0xD2 0xD7; nothing otherwise.
    // Checks nothing else, so a volume too short for its records is still
    // one (its answers then fall back as above).
    static std::optional<MFSVolume> fromImageData(const ImageBytes& imageData);

    // The master directory block, read from blocks 2 and 3. Throws
    // BlockStructureDefinableError::unreacheableBlock when the image holds
    // fewer than 4 blocks, MFSError::invalidSignature without the signature.
    MFSMasterDirectoryBlock masterDirectoryBlock() const;
    // The file directory: drBlLen blocks from block drDirSt, as many of them
    // as the image holds, walked for drNmFls entries. Read afresh at each
    // call. Throws the errors of masterDirectoryBlock(), and
    // BlockStructureDefinableError::unreacheableBlock when the directory
    // starts beyond the image (a directory of 0 blocks or 0 files is empty
    // wherever it is).
    MFSFileDirectory fileDirectory() const;
    // Whether the boot blocks begin with the boot block ID "LK". Throws
    // BlockStructureDefinableError::unreacheableBlock when the image holds
    // fewer than 2 blocks; isBootable() is the answer that does not throw.
    bool isBootableInternal() const;

    // VolumeRepresentable
    std::string volumeFormatName() const override;
    std::string helpfulDescription() const override;
    std::string volumeName() const override;
    std::optional<Date> creationDate() const override;
    // MFS keeps no modification date of the volume.
    std::optional<Date> modificationDate() const override;
    // drNmAlBlks (or drFreeBks) allocation blocks of drAlBlkSiz bytes.
    int64_t totalCapacityInBytes() const override;
    int64_t freeCapacityInBytes() const override;
    bool isFormatted() const override;
    bool isBootable() const override;
    // drNmFls, as the master directory block announces it.
    std::optional<int64_t> totalCountOfFiles() const override;
    std::optional<int64_t> totalCountOfFolders() const override;
    // The root (null) has the directory's entries; a file has none.
    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override;
    bool isItemExpandable(const VolumeItem& item) const override;
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override;
    VolumeItem volumeItem(const VolumeItem& item) const override;
    VolumeItem parentItem(const VolumeItem& item) const override;
    // Always nothing: file contents are not read.
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override;
    // Always false: the allocation block map is not read.
    bool isBlockOccupied(int64_t block) const override;

private:
    // The directory's entries as items, read once and kept until the bytes,
    // the block size or the time zone (which the dates depend on) change, so
    // that a walk over n files reads the directory once rather than n times.
    // Holding the bytes it was read from also makes any later write to
    // structureData copy them first, which moves them and so shows here.
    // Filling it from a const call makes a volume unfit for use by several
    // threads at once, which the program never does.
    struct ItemCache {
        ImageBytes readFrom;
        int64_t blockSize;
        std::string zone;  // MacintoshLocalDate::zoneName()
        std::vector<VolumeItem> items;
    };

    std::optional<MFSMasterDirectoryBlock> readableMasterDirectoryBlock() const;
    std::shared_ptr<const ItemCache> items() const;

    mutable std::shared_ptr<const ItemCache> itemCache_;
};

}  // namespace zorv
