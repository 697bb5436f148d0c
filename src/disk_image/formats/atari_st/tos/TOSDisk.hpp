#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/atari_st/tos/TOSBootSector.hpp"
#include "disk_image/formats/atari_st/tos/TOSDirectoryEntry.hpp"
#include "disk_image/formats/atari_st/tos/TOSFAT.hpp"
#include "disk_image/model/PhysicalDiskRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// An Atari ST floppy (TOS, FAT12) held in memory: a bare sector-by-sector
// image, or what an MSA file expands to. Opening reads the boot sector, the
// first FAT copy and the whole directory tree into a flat list of entries;
// file contents are read again from the image at each request.
//
// Everything is placed by the boot sector, in sectors of `bps` bytes: the
// first FAT copy at sector F = `ressec` (1 where the field is 0, as TOS
// reads it), the root directory R = F + nfats * spf for ndirs * 32 / bps
// sectors, then the data area D, in which cluster c (2 to clusterCount + 1)
// takes spc sectors from D + (c - 2) * spc, and clusterCount =
// (nsects - D) / spc.
//
// The walk of the directories is depth first with an explicit stack: a
// subdirectory's entries come right after its own. Deleted and never-used
// entries, the "." and ".." entries and long-name entries are not kept; a
// "." entry makes its cluster the parent of the entries after it. No
// cluster is walked twice: a subdirectory whose chain starts at a cluster
// already walked or outside the data area (the root's "cluster" 0, itself,
// an ancestor, another directory) is kept as an empty folder, nothing below
// it walked, and a chain that runs into a walked cluster is cut there.
//
// Items are the entries. The children of the root are the entries whose
// parent cluster is 0, those of a walked subdirectory the entries whose
// parent cluster is its starting cluster, in walk order. Only folders
// reached from the root that way have children, so no folder lists itself
// or one of its ancestors (a "." entry can name any cluster).
class TOSDisk : public BlockStructureDefinable, public VolumeRepresentable, public PhysicalDiskRepresentable {
public:
    // The probe of format detection: the floppy, or nothing when opening
    // fails for any reason. Never throws.
    static std::optional<TOSDisk> fromImageData(const ImageBytes& imageData);

    // Opens the floppy. Throws TOSBootSectorError::invalidBPS;
    // TOSDiskError::invalidVolumeLayout when the sectors per cluster are 0,
    // the data area starts beyond the sectors of the volume, the volume has
    // 4,087 clusters or more (not FAT12), or a FAT copy is too short for the
    // entries of every cluster; BlockStructureDefinableError::unreacheableBlock
    // when the first FAT copy, the root directory or a cluster of a
    // subdirectory lies beyond the image.
    explicit TOSDisk(ImageBytes block);

    const TOSBootSector& bootSector() const { return bootSector_; }
    const TOSFAT& fat() const { return fat_; }
    // Every entry the walk kept, in walk order.
    const std::vector<std::shared_ptr<const TOSDirectoryEntry>>& entries() const { return entries_; }

    // The name part of the first volume label entry, and its date (none
    // when the label has none).
    std::optional<std::string> diskName() const;
    std::optional<Date> diskCreationDate() const;

    // The contents of a file: the clusters of its chain, cut to its size.
    // An empty chain gives empty contents for a size of 0. Throws
    // TOSDiskError::fileSizeMismatch when the chain holds fewer bytes than
    // the size, BlockStructureDefinableError::unreacheableBlock when one of
    // its clusters lies beyond the image.
    ImageBytes contentsOf(const TOSDirectoryEntry& entry) const;

    // VolumeRepresentable
    // "Atari ST (FAT12)", or "Atari ST (MSA)" from an MSA file.
    std::string volumeFormatName() const override;
    std::string helpfulDescription() const override;
    std::shared_ptr<const ImageWrapperRepresentable> wrapper() const override { return imageWrapper_; }
    void setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) override;
    // The label's name (empty when the label's name part is), else "Untitled".
    std::string volumeName() const override;
    std::optional<Date> creationDate() const override { return diskCreationDate(); }
    std::optional<Date> modificationDate() const override { return std::nullopt; }
    // nsects sectors of bps bytes.
    int64_t totalCapacityInBytes() const override;
    // The free data clusters of the FAT.
    int64_t freeCapacityInBytes() const override;
    bool isFormatted() const override { return true; }
    bool isBootable() const override { return bootSector_.isBootable; }
    std::optional<int64_t> totalCountOfFiles() const override { return std::nullopt; }
    std::optional<int64_t> totalCountOfFolders() const override { return std::nullopt; }
    // The root's children for no item (or an item of another volume);
    // those of a folder reached from the root; none otherwise (a file).
    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override;
    bool isItemExpandable(const VolumeItem& item) const override;
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override;
    VolumeItem volumeItem(const VolumeItem& item) const override;
    // The folder whose starting cluster is the item's parent cluster;
    // nothing in the root directory.
    VolumeItem parentItem(const VolumeItem& item) const override;
    // The data fork of an entry (contentsOf); nothing for the resource fork
    // and for anything that is not an entry.
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override;
    bool isBlockOccupied(int64_t block) const override;
    const PhysicalDiskRepresentable* physicalDisk() const override { return this; }

    // PhysicalDiskRepresentable
    // (nsects / spt) / nheads; 0 when either is 0.
    int64_t trackCount() const override;
    int64_t sectorCount() const override { return bootSector_.spt; }
    int64_t sideCount() const override { return bootSector_.nheads; }
    bool canBeShownGraphically() const override { return false; }
    std::vector<OccupiedSector> occupiedSectors() const override { return {}; }
    VolumeItem itemAt(int64_t /*track*/, int64_t /*sector*/, int64_t /*side*/) const override { return nullptr; }
    std::vector<SectorAddress> sectorsFor(const VolumeItem& /*item*/) const override { return {}; }

private:
    struct Navigation;

    // The bytes of the clusters, joined in order.
    ImageBytes clusterBytes(const std::vector<int64_t>& clusters) const;
    void walkDirectories(const ImageBytes& rootDirectory);
    // Children come from the folders the walk opened, `walkedFolders`.
    void buildNavigation(const std::unordered_set<const TOSDirectoryEntry*>& walkedFolders);
    const std::vector<VolumeItem>& childrenOf(const VolumeItem& item) const;

    std::shared_ptr<const ImageWrapperRepresentable> imageWrapper_;
    TOSBootSector bootSector_;
    TOSFAT fat_;
    int64_t firstDataSector_ = 0;
    std::vector<std::shared_ptr<const TOSDirectoryEntry>> entries_;
    // The first volume label entry of the walk, or none: found once when the
    // volume is opened, since the volume's name ends every item's tree().
    std::shared_ptr<const TOSDirectoryEntry> volumeLabel_;
    // Children by directory and folders by cluster, built when the volume
    // is opened and shared by copies.
    std::shared_ptr<const Navigation> navigation_;
};

}  // namespace zorv
