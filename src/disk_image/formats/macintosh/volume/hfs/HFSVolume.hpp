#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/volume/hfs/ExtKeyRec.hpp"
#include "disk_image/formats/macintosh/volume/hfs/ExtentsOverflowFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogItem.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/ExtDescriptor.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// The allocation bitmap of an HFS volume: one bit per allocation block, block
// 0 in the most significant bit of the first byte.
struct HFSVolumeBitmap {
    ImageBytes bitmap;
    int64_t blockSize = 512;

    // Whether the block's bit is set. A block whose bit lies outside the
    // bitmap (a negative number included) is not occupied.
    bool isAllocationBlockOccupied(int64_t blockNum) const;
};

// An HFS volume held in memory: the bytes of the whole volume (512-byte
// sectors from its first byte), its master directory block (sector 2), and
// its catalog and extents overflow files, read once when the volume is
// opened. Items are views of the catalog's leaf records (HFSCatalogItem),
// made when asked for; a null item is the root folder.
//
// A file's further extents live in the extents overflow file, keyed by fork
// type, file number and the fork's allocation block where each record
// starts. They are followed for the catalog file when opening, and for forks
// when reading them, as long as the file's physical length asks for more
// and each record is met once; the extents overflow file itself is read
// from the master directory block's three extents only.
//
// A value made by the default constructor has no master directory block and
// no catalog; every answer then falls back ("<Not Initialized>", 0, none,
// no children, no fork).
class HFSVolume : public BlockStructureDefinable, public VolumeRepresentable {
public:
    // "BD" at byte 1024 marks an HFS volume.
    static constexpr std::array<uint8_t, 2> hfsVolumeSignature = MasterDirectoryBlock::hfsVolumeSignature;
    static constexpr int64_t signatureOffset = 1024;
    // Every position of a volume counts sectors of this many bytes.
    static constexpr int64_t sectorSize = 512;
    // The smallest volume that holds boot blocks and a master directory block.
    static constexpr int64_t minimumVolumeBytes = 1536;
    // drVCSize of an HFS wrapper around an HFS+ volume: "H+".
    static constexpr int64_t embeddedHFSPlusSignature = 0x482B;
    // File numbers of the two B-tree files in the extents overflow file.
    static constexpr int64_t extentsFileNumber = 3;
    static constexpr int64_t catalogFileNumber = 4;

    HFSVolume() = default;

    // Opens the volume from the bytes of the whole volume. Throws
    // BlockStructureDefinableError::unreacheableBlock for fewer than 1536
    // bytes or a catalog or extents overflow extent that ends beyond them;
    // the errors of MasterDirectoryBlock(const ImageBytes&) for sector 2;
    // then those of HFSCatalogFile and, after it, of ExtentsOverflowFile.
    explicit HFSVolume(ImageBytes block);

    // The probe of format detection: the opened volume when bytes 1024-1025
    // are "BD" and opening succeeds; nothing otherwise. Never throws.
    static std::optional<HFSVolume> fromImageData(const ImageBytes& imageData);

    const std::optional<MasterDirectoryBlock>& masterDirectoryBlock() const { return masterDirectoryBlock_; }
    const std::optional<HFSCatalogFile>& catalogFile() const { return catalogFile_; }
    const std::optional<ExtentsOverflowFile>& extentsOverflowFile() const { return extentsOverflowFile_; }

    // Whether drVCSize announces an embedded HFS+ volume (0x482B).
    bool wrapsHFSPlus() const;

    // The HFS+ volume an HFS wrapper carries: sectors from drAlBlSt +
    // drVBMCSize * (drAlBlkSiz / 512), drCtlCSize * drAlBlkSiz / 512 of them.
    // Looks at no signature itself; callers ask only when wrapsHFSPlus().
    // Throws MasterDirectoryBlockError::invalidMDBPartitionSignature without a
    // master directory block, BlockStructureDefinableError::unreacheableBlock
    // when the range ends beyond the volume, and
    // MasterDirectoryBlockError::noExtractableHFSPlus when its bytes do not
    // open as an HFS+ volume. Never null.
    std::shared_ptr<const VolumeRepresentable> extractedHFSPlus() const;

    // The header blocks of a new blank volume: {2: MDB, sizeInBlocks - 2: the
    // same 512 bytes}, as MasterDirectoryBlock::newVolumeHeaderBlocks makes
    // them. Throws MasterDirectoryBlockError::volumeTooSmall below
    // MasterDirectoryBlock::minimumBlankVolumeBlocks, volumeTooLarge above
    // maximumBlankVolumeBlocks, std::invalid_argument for a block size other
    // than 512.
    static std::map<int64_t, Bytes> blocksForNewHFSVolume(int64_t sizeInBlocks, std::string_view volumeName,
                                                          int64_t blockSize, Date now = Date::now());

    // The allocation bitmap: sectors drVBMSt up to, not including, drAlBlSt.
    // Nothing without a master directory block or when those sectors lie
    // beyond the volume.
    std::optional<HFSVolumeBitmap> volumeBitmap() const;

    // VolumeRepresentable
    std::string volumeFormatName() const override;
    std::string helpfulDescription() const override;
    std::shared_ptr<const ImageWrapperRepresentable> wrapper() const override { return imageWrapper_; }
    void setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) override;
    std::string volumeName() const override;
    std::optional<Date> creationDate() const override;
    std::optional<Date> modificationDate() const override;
    // drNmAlBlks (or drFreeBks) allocation blocks of drAlBlkSiz bytes; 0
    // without a master directory block.
    int64_t totalCapacityInBytes() const override;
    int64_t freeCapacityInBytes() const override;
    bool isFormatted() const override { return true; }
    // The boot blocks begin with "LK".
    bool isBootable() const override;
    // drFilCnt and drDirCnt as stored.
    std::optional<int64_t> totalCountOfFiles() const override;
    std::optional<int64_t> totalCountOfFolders() const override;
    bool hasForks() const override { return true; }
    // The children of the folder behind the item (a folder record's own
    // folder; for the root, anything else or no item, the root folder), by
    // name as HFSCatalogFile::leavesInParent orders them.
    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override;
    // True for a folder record.
    bool isItemExpandable(const VolumeItem& item) const override;
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override;
    VolumeItem volumeItem(const VolumeItem& item) const override;
    // The folder ID whose children the item's are: its dirDirID, the root
    // folder's for the root and for anything else.
    std::optional<uint64_t> folderKey(const VolumeItem& folder) const override;
    // The folder record of the item's parent ID; items of the root folder
    // answer the root folder's record, which itself has no parent.
    VolumeItem parentItem(const VolumeItem& item) const override;
    // The fork's bytes, cut to its logical length: a slice of the volume when
    // the fork's extents are contiguous. Nothing for anything but a file
    // record, or for an empty fork without allocated blocks. Throws
    // BlockStructureDefinableError::unreacheableBlock for an extent that ends
    // beyond the volume, and HFSVolumeError::forkShorterThanLength when the
    // extents hold fewer bytes than the logical length.
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override;
    // Whether the bitmap marks the allocation block as used; false without a
    // bitmap or outside it.
    bool isBlockOccupied(int64_t block) const override;

    // A fork's extents in order: the three of `firstExtents`, then those the
    // extents overflow file holds for the fork (forkType 0x00 data, 0xFF
    // resource) of file `fileNumber`, followed while their allocation blocks
    // add up to less than `physicalLength` bytes and the volume's size.
    std::vector<ExtDescriptor> fileExtents(int64_t forkType, int64_t fileNumber,
                                           const std::vector<ExtDescriptor>& firstExtents,
                                           int64_t physicalLength) const;

private:
    struct Navigation;
    // Sector ranges (first sector, count) of a file's extents.
    struct SectorRange {
        int64_t first;
        int64_t count;
    };

    std::shared_ptr<const ImageWrapperRepresentable> imageWrapper_;
    std::optional<MasterDirectoryBlock> masterDirectoryBlock_;
    std::optional<HFSCatalogFile> catalogFile_;
    std::optional<ExtentsOverflowFile> extentsOverflowFile_;
    // Children by folder and folders by ID, built on first use and
    // shared by copies (the catalog never changes once opened).
    std::shared_ptr<Navigation> navigation_;
    // Positions in extentsOverflowFile_->leaves by key; the first record of
    // each key in leaf-chain order.
    std::shared_ptr<const std::unordered_map<ExtKeyRec, size_t>> overflowRecords_;

    const Navigation* navigation() const;
    // The item of the catalog leaf at `position`.
    VolumeItem itemAt(size_t position) const;
    int64_t folderBehind(const VolumeItem& item) const;
    // The sectors of each extent, in order. Throws
    // BlockStructureDefinableError::unreacheableBlock for an extent that ends
    // beyond the volume (an empty one whose start lies beyond it included).
    std::vector<SectorRange> sectorRanges(const std::vector<ExtDescriptor>& extents) const;
    // The first `length` bytes of the ranges joined (all of them without a
    // length): a slice when they follow each other on the volume.
    ImageBytes joinedSectors(const std::vector<SectorRange>& ranges,
                             std::optional<int64_t> length = std::nullopt) const;
    // The ranges' bytes, one slice each (empty ranges left out).
    std::vector<ImageBytes> sectorSlices(const std::vector<SectorRange>& ranges) const;
    int64_t sizeInSectors() const { return sizeInBytes() / sectorSize; }
};

// Opens the bytes cut out of an HFS wrapper as an HFS+ volume; null when they
// are not one. The HFS+ volume supplies it (hfs_plus/HFSVolumeEmbeddedHFSPlus.cpp).
std::shared_ptr<const VolumeRepresentable> openEmbeddedHFSPlusVolume(const ImageBytes& embeddedVolume);

}  // namespace zorv
