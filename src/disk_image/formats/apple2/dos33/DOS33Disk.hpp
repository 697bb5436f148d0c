#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/apple2/dos33/DOS33FileDescriptiveEntry.hpp"
#include "disk_image/formats/apple2/dos33/DOS33TSListEntry.hpp"
#include "disk_image/formats/apple2/dos33/DOS33VTOC.hpp"
#include "disk_image/model/PhysicalDiskRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// A 140K Apple II floppy formatted by DOS 3.3: 35 tracks of 16 sectors of
// 256 bytes. Opening reads the VTOC (track 17 sector 0), follows the chain
// of catalog sectors, keeps every file entry that is not deleted, and follows
// each file's chain of track/sector lists, building one sector map (tsList)
// of the sectors DOS, the catalog and each file use. File contents are never
// read; the catalog is flat.
//
// Sector s of track t lies at t * 4,096 + s * 256 in DOS order, with no
// range test of its own (sector 16 of a track is sector 0 of the next).
// Images stored in ProDOS block order (.po) are read through the ProDOS
// sector interleave instead: the VTOC is at the same offset in both orders,
// so the order is told by following the catalog chain in each and taking
// the one that reaches more catalog sectors, DOS order on a tie.
//
// Damaged disks: a chain (the catalog, or one file's lists) ends at a
// pointer outside the image or at a sector it has already visited, keeping
// what it read. A sector that two files name is entered for both. The walk
// reads at most maximumTrackSectorListReads list sectors in all: a whole
// disk has 560 sectors, so a sound one never needs more, and a damaged one
// whose files all name the same long chain stops there (each list read may
// enter 122 sectors). Files past that are listed without their sectors.
class DOS33Disk : public VolumeRepresentable, public PhysicalDiskRepresentable {
public:
    static constexpr int64_t sectorSize = 256;
    static constexpr int64_t sectorsPerTrack = 16;
    static constexpr int64_t trackSize = 4096;
    static constexpr int64_t vtocTrack = 17;
    static constexpr int64_t vtocSector = 0;
    static constexpr int64_t vtocOffset = vtocTrack * trackSize;
    // Tracks 0 to 2 hold DOS itself, whether or not the disk does.
    static constexpr int64_t systemTracks = 3;
    // The size of a freshly formatted disk.
    static constexpr int64_t diskSizeInBytes = 35 * trackSize;
    static constexpr int64_t maximumTrackSectorListReads = 1024;
    // Owners of the sector map's entries; files count on from firstFileOwner
    // in catalog order.
    static constexpr int64_t systemOwner = 0;
    static constexpr int64_t catalogOwner = 1;
    static constexpr int64_t firstFileOwner = 2;

    // The probe of format detection, never throwing: the image must hold the
    // whole VTOC, and the VTOC must give 35 tracks, 16 sectors per track and
    // 256 bytes per sector. Nothing else is checked.
    static std::optional<DOS33Disk> fromImageData(const ImageBytes& imageData);

    // Opens the bytes without the probe; never throws. Without a whole VTOC
    // in the bytes nothing is read: no VTOC, no catalog, an empty map.
    explicit DOS33Disk(ImageBytes block);

    // The 143,360 bytes of a blank disk freshly initialised by DOS 3.3, in
    // DOS order: the DOS boot image on tracks 0 to 2 (DOS33BlankDisk), the
    // VTOC, a 15-sector catalog on track 17 and one file, HELLO (an empty
    // Applesoft program of 2 sectors), on track 18; volume 254. The same
    // bytes on every call.
    static ImageBytes dos33AsData();

    const ImageBytes& contents() const { return contents_; }
    const std::optional<DOS33VTOC>& vtoc() const { return vtoc_; }
    // The entries that are not deleted, in catalog order.
    const std::vector<std::shared_ptr<const DOS33FileDescriptiveEntry>>& catalog() const { return catalog_; }
    // The sector map: the 48 sectors of tracks 0 to 2, the VTOC, then each
    // catalog sector in chain order followed by the data sectors its live
    // entries' lists name, entry by entry, in list order. List sectors are
    // not in it.
    const std::vector<DOS33TSListEntry>& tsList() const { return tsList_; }
    // Whether the image is stored in ProDOS block order.
    bool proDOSOrder() const { return proDOSOrder_; }
    // The 256 bytes of a sector, in the image's order; nothing when they lie
    // outside the image.
    std::optional<ImageBytes> sector(int64_t track, int64_t sector) const;

    // The volume's record and the disk's geometry record of the JSON report.
    using VolumeRepresentable::codable;
    using PhysicalDiskRepresentable::codable;

    // VolumeRepresentable
    std::string volumeFormatName() const override { return "Apple II (DOS 3.3)"; }
    std::string helpfulDescription() const override;
    // "Volume " and the volume number; empty without a VTOC.
    std::string volumeName() const override;
    std::optional<Date> creationDate() const override { return std::nullopt; }
    std::optional<Date> modificationDate() const override { return std::nullopt; }
    // Tracks times sectors times bytes per sector, as the VTOC gives them.
    int64_t totalCapacityInBytes() const override;
    // 256 bytes for every sector the VTOC's bitmaps mark free, on each of
    // its tracks (at most 50) up to its sectors per track (at most 16); 0
    // without a VTOC.
    int64_t freeCapacityInBytes() const override;
    bool isFormatted() const override { return true; }
    bool isBootable() const override { return true; }
    std::optional<int64_t> totalCountOfFiles() const override { return std::nullopt; }
    std::optional<int64_t> totalCountOfFolders() const override { return std::nullopt; }
    // The whole catalog, whatever the item: no item is expandable, so a walk
    // of the hierarchy lists each file once.
    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override;
    bool isItemExpandable(const VolumeItem& item) const override;
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override;
    VolumeItem volumeItem(const VolumeItem& item) const override;
    VolumeItem parentItem(const VolumeItem& item) const override;
    // Nothing, for every item and fork: contents are not offered.
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override;
    bool isBlockOccupied(int64_t block) const override;
    const PhysicalDiskRepresentable* physicalDisk() const override { return this; }

    // PhysicalDiskRepresentable
    int64_t trackCount() const override;
    int64_t sectorCount() const override;
    int64_t sideCount() const override { return 1; }
    bool canBeShownGraphically() const override { return true; }
    // The sector map in order, on side 1, coloured by usage (0 DOS, 1
    // catalog, 2 file data).
    std::vector<OccupiedSector> occupiedSectors() const override;
    // The file owning the first entry of the map at that track and sector
    // (the side is not compared); nothing for DOS's, the VTOC's, the
    // catalog's, list and free sectors.
    VolumeItem itemAt(int64_t track, int64_t sector, int64_t side) const override;
    // The map's entries owned by a file of this format, on side 1.
    std::vector<SectorAddress> sectorsFor(const VolumeItem& item) const override;

private:
    // Where a sector lies in the image in the given order, or nothing.
    std::optional<int64_t> sectorOffset(int64_t track, int64_t sector, bool proDOSOrder) const;
    // How many catalog sectors the chain from the VTOC reaches in that order.
    int64_t catalogChainLength(bool proDOSOrder) const;
    void readCatalog();
    void readTrackSectorLists(const DOS33FileDescriptiveEntry& entry, int64_t& listReadsLeft);

    ImageBytes contents_;
    std::optional<DOS33VTOC> vtoc_;
    std::vector<std::shared_ptr<const DOS33FileDescriptiveEntry>> catalog_;
    std::vector<DOS33TSListEntry> tsList_;
    // Each file's run of tsList_ (first, end), by its owner identifier.
    std::unordered_map<int64_t, std::pair<size_t, size_t>> fileSectors_;
    bool proDOSOrder_ = false;
};

}  // namespace zorv
