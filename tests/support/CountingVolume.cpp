#include "support/CountingVolume.hpp"

namespace zorv::testing {

std::string CountingVolume::volumeFormatName() const { return volume_.volumeFormatName(); }

std::string CountingVolume::volumeName() const { return volume_.volumeName(); }

std::optional<Date> CountingVolume::creationDate() const { return volume_.creationDate(); }

std::optional<Date> CountingVolume::modificationDate() const { return volume_.modificationDate(); }

int64_t CountingVolume::totalCapacityInBytes() const { return volume_.totalCapacityInBytes(); }

int64_t CountingVolume::freeCapacityInBytes() const { return volume_.freeCapacityInBytes(); }

bool CountingVolume::isFormatted() const { return volume_.isFormatted(); }

bool CountingVolume::isBootable() const { return volume_.isBootable(); }

std::optional<int64_t> CountingVolume::totalCountOfFiles() const { return volume_.totalCountOfFiles(); }

std::optional<int64_t> CountingVolume::totalCountOfFolders() const { return volume_.totalCountOfFolders(); }

int64_t CountingVolume::numberOfChildrenOfItem(const VolumeItem& item) const {
    ++childCounts_;
    return volume_.numberOfChildrenOfItem(item);
}

bool CountingVolume::isItemExpandable(const VolumeItem& item) const { return volume_.isItemExpandable(item); }

VolumeItem CountingVolume::child(int64_t index, const VolumeItem& ofItem) const {
    ++childLookups_;
    return volume_.child(index, ofItem);
}

VolumeItem CountingVolume::volumeItem(const VolumeItem& item) const { return volume_.volumeItem(item); }

std::optional<uint64_t> CountingVolume::folderKey(const VolumeItem& folder) const { return volume_.folderKey(folder); }

VolumeItem CountingVolume::parentItem(const VolumeItem& item) const { return volume_.parentItem(item); }

std::optional<ImageBytes> CountingVolume::getFork(ForkType fork, const VolumeItem& item) const {
    return volume_.getFork(fork, item);
}

bool CountingVolume::isBlockOccupied(int64_t block) const { return volume_.isBlockOccupied(block); }

}  // namespace zorv::testing
