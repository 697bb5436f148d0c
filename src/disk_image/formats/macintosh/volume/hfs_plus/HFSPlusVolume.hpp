#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentsOverflowFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeHeader.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// An HFS+ volume held in memory: the bytes of the whole volume, its volume
// header (byte 1024), and its extents overflow and catalog files, read once
// when the volume opens. Items are the catalog's leaf records
// (HFSPlusCatalogLeafRecord); a null item is the root folder.
//
// Once opened, `blockSize` is the volume's allocation block size, so the
// block operations of BlockStructureDefinable count allocation blocks.
//
// A fork's first eight extents are in its fork record; further ones are in
// the extents overflow file, each record keyed by fork type, file ID and the
// fork's allocation block where it starts. They are followed, for the
// catalog file when the volume opens and for files' forks when read, until
// the fork's totalBlocks are covered; a record that is missing then is an
// error, never a fork cut short. The extents overflow file itself is read
// from its eight extents only. HFSX volumes ("HX") are not opened.
class HFSPlusVolume : public BlockStructureDefinable,
                      public VolumeRepresentable,
                      public HFSPlusBlockable<HFSPlusVolume> {
public:
    // "H+" at byte 1024 marks an HFS+ volume.
    static constexpr std::array<uint8_t, 2> hfsPlusVolumeSignature = HFSPlusVolumeHeader::hfsPlusVolumeSignature;
    static constexpr int64_t signatureOffset = HFSPlusVolumeHeader::offsetInVolume;
    // The smallest volume that holds the boot blocks and the volume header.
    static constexpr int64_t minimumVolumeBytes = HFSPlusVolumeHeader::offsetInVolume + HFSPlusVolumeHeader::size;
    // Catalog node IDs of the two B-tree files, as the extents overflow file
    // keys their records.
    static constexpr int64_t extentsFileID = 3;
    static constexpr int64_t catalogFileID = 4;

    // Opens the volume from the bytes of the whole volume. Throws
    // BlockStructureDefinableError::unreacheableBlock for fewer than 1536
    // bytes; the errors of HFSPlusVolumeHeader for bytes 1024-1535;
    // HFSPlusVolumeHeaderError::invalidAllocationBlockSize when the header's
    // allocation block size is not a power of two of 512 or more; then the
    // errors of reading the extents overflow file and the catalog file (an
    // extent beyond the volume, a B-tree fault, a catalog without leaf
    // records, HFSPlusVolumeError::missingOverflowExtents).
    explicit HFSPlusVolume(ImageBytes block);

    // The probe of format detection: the opened volume when bytes 1024-1025
    // are "H+" and opening succeeds; nothing otherwise. Never throws.
    static std::optional<HFSPlusVolume> fromImageData(const ImageBytes& imageData);

    // The two header blocks of a new blank HFS+ volume, keyed by 512-byte
    // block number within the volume: {2: header, sizeInBlocks - 2: the same
    // bytes}, as HFSPlusVolumeHeader::blocksForNewVolume makes them. Throws
    // HFSPlusVolumeHeaderError::invalidVolumeSize below 4 blocks or above
    // 2^32 - 1.
    static std::map<int64_t, Bytes> blocksForNewHFSPlusVolume(int64_t sizeInBlocks, std::string_view volumeName,
                                                              int64_t blockSize, Date now = Date::now());

    const HFSPlusVolumeHeader& volumeHeader() const { return volumeHeader_; }
    const HFSPlusCatalogFile& catalogFile() const { return *catalogFile_; }
    const HFSPlusExtentsOverflowFile& extentsOverflowFile() const { return *extentsOverflowFile_; }

    // The name of the root folder: the first item of folder 1; "Unknown"
    // when the catalog has none.
    std::string presentableName() const;

    // The extents of a fork in order: the eight of its fork record, then
    // those the extents overflow file holds for that fork of file `fileID`
    // (none for the extents file itself), followed while they cover fewer
    // blocks than the fork's totalBlocks. Every overflow record used starts
    // where the extents before it end, so none is used twice and the walk
    // ends within the file's record count. Throws
    // HFSPlusVolumeError::missingOverflowExtents when a needed record is
    // missing or empty, BlockStructureDefinableError::unreacheableBlock once
    // the extents cover more blocks than the volume holds.
    std::vector<HFSPlusExtentDescriptor> forkExtents(const HFSPlusForkDataStucture& fork, int64_t fileID,
                                                     HFSPlusExtentsOverflowFileKey::ForkType forkType) const;

    // One chunk: the whole volume.
    std::vector<Bytes> dataBlockArray() const { return {structureData.toBytes()}; }

    // VolumeRepresentable
    // "Macintosh (HFS+)", and the wrapper's name on a second line.
    std::string volumeFormatName() const override;
    std::string helpfulDescription() const override;
    std::shared_ptr<const ImageWrapperRepresentable> wrapper() const override { return imageWrapper_; }
    void setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) override;
    // presentableName().
    std::string volumeName() const override;
    // The header's createDate (kept in local time, read in the host's zone
    // when the volume opened) and modifyDate (GMT).
    std::optional<Date> creationDate() const override;
    std::optional<Date> modificationDate() const override;
    // totalBlocks (or freeBlocks) allocation blocks: a 32-bit count times a
    // size of at most 2^31, which always fits.
    int64_t totalCapacityInBytes() const override;
    int64_t freeCapacityInBytes() const override;
    bool isFormatted() const override { return true; }
    // The header's finderInfo names a blessed system folder (entry 0 > 0).
    bool isBootable() const override;
    // fileCount and folderCount as the header stores them.
    std::optional<int64_t> totalCountOfFiles() const override;
    std::optional<int64_t> totalCountOfFolders() const override;
    bool hasForks() const override { return true; }
    // The children of the folder behind the item (a folder record's own
    // folder; for no item, a file or anything else, the root folder), in
    // the order of HFSPlusCatalogFile::leavesInParent.
    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override;
    // True for a folder record.
    bool isItemExpandable(const VolumeItem& item) const override;
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override;
    VolumeItem volumeItem(const VolumeItem& item) const override;
    // The folder ID whose children the item's are: its folderID, the root
    // folder's for the root and for anything else.
    std::optional<uint64_t> folderKey(const VolumeItem& folder) const override;
    // The folder record whose folder ID is the item's parent ID; nothing for
    // the root folder, for a folder that names itself as its parent, and for
    // anything but a leaf record.
    VolumeItem parentItem(const VolumeItem& item) const override;
    // The fork's bytes, cut to its logical size (a slice of the volume when
    // it lies in one extent). Nothing for anything but a file record, or for
    // an empty fork without allocated blocks. Throws the errors of
    // forkExtents(), BlockStructureDefinableError::unreacheableBlock for an
    // extent that ends beyond the volume, and
    // HFSPlusVolumeError::forkShorterThanLength when the extents hold fewer
    // bytes than the logical size.
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override;
    // Always false: the allocation file is not read.
    bool isBlockOccupied(int64_t block) const override;

private:
    struct Navigation;

    HFSPlusVolumeHeader volumeHeader_;
    std::shared_ptr<const ImageWrapperRepresentable> imageWrapper_;
    // Always set once the constructor returns; shared by copies.
    std::shared_ptr<const HFSPlusCatalogFile> catalogFile_;
    std::shared_ptr<const HFSPlusExtentsOverflowFile> extentsOverflowFile_;
    // Items, children by folder and folders by ID, built on first use and
    // shared by copies (the catalog never changes once opened).
    std::shared_ptr<Navigation> navigation_;

    const Navigation& navigation() const;
    // The root item and folder alone, without the index of every folder.
    const Navigation& root() const;
    // A new item for the catalog leaf at `position`, read from its bytes.
    VolumeItem itemAt(size_t position) const;
    int64_t folderBehind(const VolumeItem& item) const;
};

}  // namespace zorv
