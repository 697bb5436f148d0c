#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmap.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBootBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskEntry.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskGeometry.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskRootBlock.hpp"
#include "disk_image/model/PhysicalDiskRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// An Amiga DOS volume held in memory (OFS or FFS): a floppy image (ADF), a
// UAE hardfile, or one partition of a Rigid Disk Block hard disk. Items are
// the entries (ADFDiskEntry); a null item is the top level.
//
// Opening fixes the geometry (ADFDiskGeometry::forImage), finds the root
// block where AmigaDOS puts it, or else where some tools wrote it
// (ADFDiskGeometry::rootBlockCandidates), or else, for a bare volume whose
// blocks are not whole hardfile cylinders, in the middle of all its blocks
// (the geometry then being one block a cylinder), loads the bitmap blocks the
// volume needs, when the root block's bitmap flag calls them valid, in the
// order the root block and its extension blocks list them (the pointers
// after those are not read), and walks the hash tables of
// every directory into a flat list of entries: the root entry first, then
// each file and directory in depth-first order (slots in index order, each
// hash chain in chain order, a directory's contents right after it). A volume
// is recognised by its root block; the boot block is read only for the file
// system and the root pointer.
//
// Damaged volumes: the walk never reads a header block twice (a hash chain
// that comes back to a block already walked ends there, and a directory met
// again, itself or an ancestor included, is not entered again); a hash slot
// or next-hash pointer past the end of the image ends that chain only; links
// are not listed but the chain behind them is followed; the bitmap extension
// chain ends at a block already read. A bitmap block needed beyond the image
// (when the root block calls the bitmap valid; otherwise it is not read), or
// a block whose secondary type says file or directory but which does not read
// as one, makes the whole open fail.
//
// Items are placed by their parent pointers, as AmigaDOS links them. The top
// level is the root entry alone when the boot block's root pointer is 0 (a
// folder with an empty name holding the top-level files), else the entries
// whose parent is the root block the volume was opened with.
class ADFDisk : public BlockStructureDefinable, public VolumeRepresentable, public PhysicalDiskRepresentable {
public:
    static constexpr std::array<uint8_t, 3> AmigaDOSSignature = ADFDiskBootBlock::AmigaDOSSignature;

    ADFDiskGeometry diskGeometry;
    // The bitmap blocks as read, in the order listed; none for a volume made
    // by blankDisk() and when the root block's bitmap flag is not -1.
    std::optional<ADFDiskBitmap> bitmap;
    // The root entry, then every file and directory the walk found.
    std::vector<std::shared_ptr<const ADFDiskEntry>> entries;

    // The probe of format detection, never throwing: the volume opened as
    // the constructor opens it (with no geometry for a volume file), or
    // nothing when opening fails.
    static std::optional<ADFDisk> fromImageData(const ImageBytes& imageData,
                                                const std::optional<ADFDiskGeometry>& geometry = std::nullopt,
                                                int64_t reservedBlocks = ADFDiskGeometry::defaultReservedBlocks);

    // Opens a volume from its bytes. `geometry` is used unless the size is
    // that of a floppy; `reservedBlocks` is the count of blocks before the
    // first one the file system uses (2 for floppies and hardfiles; a
    // partition passes its own). Throws
    // BlockStructureDefinableError::unreacheableBlock when the image is too
    // small for its root block or, the bitmap being valid, a bitmap block it
    // needs lies beyond it (a header block beyond it only ends its hash
    // chain),
    // ADFDiskRootBlockError::invalidRootBlock when no root block reads at any
    // candidate position, the ADFDiskEntryBlockError of a header block that
    // does not read, and ArithmeticOverflowError for a geometry whose block
    // count does not fit.
    explicit ADFDisk(ImageBytes block, const std::optional<ADFDiskGeometry>& geometry = std::nullopt,
                     int64_t reservedBlocks = ADFDiskGeometry::defaultReservedBlocks);

    // A new blank volume of the geometry, in memory (T x blockSize bytes),
    // made of blankVolumeBlocks(); no entries and no bitmap kept.
    static ADFDisk blankDisk(const ADFDiskGeometry& geometry, bool bootable);

    // What a new blank volume holds, by 512-byte block number: the boot block
    // (bootable or not; two blocks), the root block "Empty" at
    // ADFDiskGeometry::rootBlock(), the bitmap blocks after it and their
    // extension blocks. A bootable high-density floppy's boot block says 880,
    // as AmigaDOS writes it; every other volume's says where its root is.
    // Throws BlockStructureDefinableError::unreacheableBlock for a geometry
    // too small to hold them (ADFDiskBitmap).
    static std::vector<std::pair<int64_t, Bytes>> blankVolumeBlocks(const ADFDiskGeometry& geometry, bool bootable);

    // The block the root block was read from.
    int64_t rootBlockNumber() const { return rootBlockNumber_; }
    // The root block, read again from the image. Throws unreacheableBlock
    // when the image does not hold it and invalidRootBlock.
    ADFDiskRootBlock rootBlock() const;
    // The sizes of every entry added up.
    int64_t occupiedCapacityInBytes() const;

    // VolumeRepresentable
    // "Amiga Floppy" or "UAE Hardfile", then the file system of the boot
    // block in parentheses ("OFS", "FFS", or nothing without "DOS").
    std::string volumeFormatName() const override;
    std::string helpfulDescription() const override;
    // The root block's name; "Unnamed" when it cannot be read.
    std::string volumeName() const override;
    std::optional<Date> creationDate() const override;
    std::optional<Date> modificationDate() const override;
    // cylinders x sectors x heads x block size of the geometry.
    int64_t totalCapacityInBytes() const override;
    // The blocks the bitmap marks free, times 512, when the root block says
    // the bitmap is valid and its blocks lie inside the volume and hold a
    // flag for each of its blocks; otherwise the total less the sizes of the
    // entries, and 0 when a damaged volume's sizes add up to more.
    int64_t freeCapacityInBytes() const override;
    bool isFormatted() const override { return true; }
    bool isBootable() const override { return true; }
    std::optional<int64_t> totalCountOfFiles() const override { return std::nullopt; }
    std::optional<int64_t> totalCountOfFolders() const override { return std::nullopt; }
    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override;
    bool isItemExpandable(const VolumeItem& item) const override;
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override;
    VolumeItem volumeItem(const VolumeItem& item) const override;
    // The first entry whose key is the item's parent pointer.
    VolumeItem parentItem(const VolumeItem& item) const override;
    // The data fork of a file, cut to its byteSize: the data blocks listed
    // by its header and its extension blocks (a chain of extension blocks
    // ends at one already read, and at most 72 pointers of a block are
    // used), as OFS (488 bytes after a 24-byte header) or FFS (whole 512-byte
    // blocks) by the boot block. Nothing for the resource fork and for items
    // of other volumes. Throws unreacheableBlock for a block beyond the
    // image, ADFDiskError::invalidBootBlock for a non-empty file of a volume
    // without "DOS", ADFDiskEntryBlockError::invalidExtensionBlock when the
    // blocks listed end before byteSize (never a short file), and the
    // ADFDiskEntryBlockError of a block that does not read (a directory's
    // header read as a file's, among others).
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override;
    bool isBlockOccupied(int64_t block) const override;
    const PhysicalDiskRepresentable* physicalDisk() const override { return this; }

    // PhysicalDiskRepresentable: the geometry, with no sector map.
    int64_t trackCount() const override { return diskGeometry.cylinderCount; }
    int64_t sectorCount() const override { return diskGeometry.sectorCount; }
    int64_t sideCount() const override { return diskGeometry.headCount; }
    bool canBeShownGraphically() const override { return false; }
    std::vector<OccupiedSector> occupiedSectors() const override { return {}; }
    VolumeItem itemAt(int64_t, int64_t, int64_t) const override { return nullptr; }
    std::vector<SectorAddress> sectorsFor(const VolumeItem&) const override { return {}; }

private:
    struct Navigation;

    ADFDisk() = default;

    void walkHashTables(const ADFDiskRootBlock& root);
    void loadBitmap(const ADFDiskRootBlock& root);
    void buildNavigation();
    std::optional<ADFDiskBootBlock> bootBlock() const;
    std::optional<int64_t> bitmapFreeBlocks() const;
    ImageBytes requireBlock(int64_t block) const;

    int64_t rootBlockNumber_ = 0;
    std::shared_ptr<const Navigation> navigation_;
};

}  // namespace zorv
