#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/FakeVolume.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"
#include "disk_image/model/PhysicalDiskRepresentable.hpp"

namespace zorv::testing {

// A container that only has a name.
struct NamedWrapper : ImageWrapperRepresentable {
    std::string wrapperName;
    explicit NamedWrapper(std::string name) : wrapperName(std::move(name)) {}
    std::string descriptiveName() const override { return wrapperName; }
    std::string helpfulDescription() const override { return {}; }
};

// A FakeVolume that keeps the wrapper it is given.
class WrappableVolume : public FakeVolume {
public:
    std::shared_ptr<const ImageWrapperRepresentable> wrapper() const override { return wrapper_; }
    void setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) override {
        wrapper_ = std::move(wrapper);
    }

private:
    std::shared_ptr<const ImageWrapperRepresentable> wrapper_;
};

// The track view of a disk, as fields.
struct FakeGeometry : PhysicalDiskRepresentable {
    int64_t tracks = 0;
    int64_t sides = 0;
    int64_t sectors = 0;

    FakeGeometry(int64_t tracks, int64_t sides, int64_t sectors) : tracks(tracks), sides(sides), sectors(sectors) {}

    int64_t trackCount() const override { return tracks; }
    int64_t sectorCount() const override { return sectors; }
    int64_t sideCount() const override { return sides; }
    bool canBeShownGraphically() const override { return false; }
    std::vector<OccupiedSector> occupiedSectors() const override { return {}; }
    VolumeItem itemAt(int64_t, int64_t, int64_t) const override { return nullptr; }
    std::vector<SectorAddress> sectorsFor(const VolumeItem&) const override { return {}; }
};

// A floppy volume: a FakeVolume with a track view.
class FloppyVolume : public FakeVolume, public FakeGeometry {
public:
    FloppyVolume(int64_t tracks, int64_t sides, int64_t sectors) : FakeGeometry(tracks, sides, sectors) {}
    const PhysicalDiskRepresentable* physicalDisk() const override { return this; }
};

class FakePartition : public PartitionMapEntryRepresentable {
public:
    std::string type;
    std::string name;
    int64_t start = 0;
    int64_t length = 0;
    std::shared_ptr<const VolumeRepresentable> volume;

    FakePartition(std::string type, std::string name, int64_t start, int64_t length,
                  std::shared_ptr<const VolumeRepresentable> volume = nullptr)
        : type(std::move(type)), name(std::move(name)), start(start), length(length), volume(std::move(volume)) {}

    std::string partitionTypeLabel() const override { return type; }
    std::string partitionName() const override { return name; }
    int64_t sizeInBytes() const override { return length * 512; }
    bool isInteresting() const override { return volume != nullptr; }
    bool hasWarning() const override { return false; }
    std::optional<ImageBytes> partitionData() const override { return std::nullopt; }
    std::shared_ptr<const VolumeRepresentable> associatedVolume() const override { return volume; }
    void setAssociatedVolume(std::shared_ptr<const VolumeRepresentable> newVolume) override {
        volume = std::move(newVolume);
    }
    std::string preferredName() const override { return name; }
    int64_t startPhysicalBlock() const override { return start; }
    int64_t sizeInPhysicalBlocks() const override { return length; }
};

class FakeDevice : public DeviceRepresentable {
public:
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> partitions;
    std::shared_ptr<const FakeGeometry> geometry;

    std::string deviceName() const override { return "Fake Device"; }
    std::optional<std::string> additionalName() const override { return std::nullopt; }
    SupportedOS targetOS() const override { return SupportedOS::macintosh; }
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> devicePartitions() const override {
        return partitions;
    }
    int64_t physicalBlockSize() const override { return 512; }
    std::shared_ptr<const VolumeRepresentable> volumeForPartition(int64_t index) const override {
        if (index < 0 || index >= static_cast<int64_t>(partitions.size())) return nullptr;
        return partitions[static_cast<size_t>(index)]->associatedVolume();
    }
    const PhysicalDiskRepresentable* physicalDisk() const override { return geometry.get(); }
};

}  // namespace zorv::testing
