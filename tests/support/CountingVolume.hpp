#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv::testing {

// Stands in for another volume: every question a format must answer (and
// folderKey()) gets that volume's answer, and the questions for children are
// counted, so that a test can tell how much of the hierarchy a service of
// VolumeRepresentable itself (tree(), the walk) goes through.
class CountingVolume : public VolumeRepresentable {
public:
    explicit CountingVolume(const VolumeRepresentable& volume) : volume_(volume) {}

    // Calls of child() and of numberOfChildrenOfItem() since the last reset.
    int64_t childLookups() const { return childLookups_; }
    int64_t childCounts() const { return childCounts_; }
    void resetCounts() { childLookups_ = childCounts_ = 0; }

    std::string volumeFormatName() const override;
    std::string volumeName() const override;
    std::optional<Date> creationDate() const override;
    std::optional<Date> modificationDate() const override;
    int64_t totalCapacityInBytes() const override;
    int64_t freeCapacityInBytes() const override;
    bool isFormatted() const override;
    bool isBootable() const override;
    std::optional<int64_t> totalCountOfFiles() const override;
    std::optional<int64_t> totalCountOfFolders() const override;
    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override;
    bool isItemExpandable(const VolumeItem& item) const override;
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override;
    VolumeItem volumeItem(const VolumeItem& item) const override;
    std::optional<uint64_t> folderKey(const VolumeItem& folder) const override;
    VolumeItem parentItem(const VolumeItem& item) const override;
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override;
    bool isBlockOccupied(int64_t block) const override;

private:
    const VolumeRepresentable& volume_;
    mutable int64_t childLookups_ = 0;
    mutable int64_t childCounts_ = 0;
};

}  // namespace zorv::testing
