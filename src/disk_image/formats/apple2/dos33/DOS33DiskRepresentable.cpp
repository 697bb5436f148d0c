// DOS33Disk as the reports, the hierarchy walk and the sector map see it.

#include <algorithm>

#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"

namespace zorv {
namespace {

const DOS33FileDescriptiveEntry* asEntry(const VolumeItem& item) {
    return dynamic_cast<const DOS33FileDescriptiveEntry*>(item.get());
}

}  // namespace

std::string DOS33Disk::helpfulDescription() const {
    return "This is a DOS 3.3 floppy image. It's the older format of Apple II disks.";
}

std::string DOS33Disk::volumeName() const {
    if (!vtoc_) return {};
    return "Volume " + std::to_string(vtoc_->disketteVolumeNumber);
}

int64_t DOS33Disk::totalCapacityInBytes() const {
    if (!vtoc_) return 0;
    return vtoc_->numTracksPerDisk * vtoc_->numSectorsPerTrack * vtoc_->numBytesPerSector;
}

int64_t DOS33Disk::freeCapacityInBytes() const {
    if (!vtoc_) return 0;
    // A track's bitmap holds sectors 15 to 8 in its first byte and 7 to 0
    // in its second, from the high bit down; a set bit is a free sector.
    // DOS marks every sector it uses, list sectors and its own tracks
    // included, so the bitmaps say what the file lists cannot.
    const int64_t sectors = std::min(vtoc_->numSectorsPerTrack, sectorsPerTrack);
    int64_t free = 0;
    for (const ImageBytes& bitmap : vtoc_->bitmaps) {
        const int64_t marks = (bitmap[0] << 8) | bitmap[1];
        for (int64_t sector = 0; sector < sectors; ++sector) free += (marks >> sector) & 1;
    }
    return free * sectorSize;
}

int64_t DOS33Disk::numberOfChildrenOfItem(const VolumeItem& /*item*/) const {
    return static_cast<int64_t>(catalog_.size());
}

bool DOS33Disk::isItemExpandable(const VolumeItem& /*item*/) const { return false; }

VolumeItem DOS33Disk::child(int64_t index, const VolumeItem& /*ofItem*/) const {
    if (index < 0 || index >= static_cast<int64_t>(catalog_.size())) return nullptr;
    return catalog_[static_cast<size_t>(index)];
}

VolumeItem DOS33Disk::volumeItem(const VolumeItem& item) const { return asEntry(item) != nullptr ? item : nullptr; }

VolumeItem DOS33Disk::parentItem(const VolumeItem& /*item*/) const { return nullptr; }

std::optional<ImageBytes> DOS33Disk::getFork(ForkType /*fork*/, const VolumeItem& /*item*/) const {
    return std::nullopt;
}

bool DOS33Disk::isBlockOccupied(int64_t /*block*/) const { return false; }

int64_t DOS33Disk::trackCount() const { return vtoc_ ? vtoc_->numTracksPerDisk : 0; }

int64_t DOS33Disk::sectorCount() const { return vtoc_ ? vtoc_->numSectorsPerTrack : 0; }

std::vector<PhysicalDiskRepresentable::OccupiedSector> DOS33Disk::occupiedSectors() const {
    std::vector<OccupiedSector> sectors;
    sectors.reserve(tsList_.size());
    for (const DOS33TSListEntry& entry : tsList_) {
        sectors.push_back({entry.track, entry.sector, 1, static_cast<int64_t>(entry.usage)});
    }
    return sectors;
}

VolumeItem DOS33Disk::itemAt(int64_t track, int64_t sector, int64_t /*side*/) const {
    const auto found = std::find_if(tsList_.begin(), tsList_.end(), [&](const DOS33TSListEntry& entry) {
        return entry.track == track && entry.sector == sector;
    });
    if (found == tsList_.end()) return nullptr;
    // Files are numbered from firstFileOwner in catalog order; DOS and the
    // catalog own what lies below.
    const int64_t index = found->owner - firstFileOwner;
    if (index < 0 || index >= static_cast<int64_t>(catalog_.size())) return nullptr;
    return catalog_[static_cast<size_t>(index)];
}

std::vector<PhysicalDiskRepresentable::SectorAddress> DOS33Disk::sectorsFor(const VolumeItem& item) const {
    const DOS33FileDescriptiveEntry* entry = asEntry(item);
    if (entry == nullptr) return {};
    const auto run = fileSectors_.find(entry->uuid);
    if (run == fileSectors_.end()) return {};
    std::vector<SectorAddress> sectors;
    for (size_t index = run->second.first; index < run->second.second; ++index) {
        const DOS33TSListEntry& used = tsList_[index];
        sectors.push_back({used.track, used.sector, 1});
    }
    return sectors;
}

}  // namespace zorv
