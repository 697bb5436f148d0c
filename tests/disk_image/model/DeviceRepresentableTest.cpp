#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/FakeVolume.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"
#include "disk_image/model/PhysicalDiskRepresentable.hpp"
#include "disk_image/model/SupportedOS.hpp"

namespace zorv {
namespace {

using testing::FakeItem;
using testing::FakeVolume;

class FakePartition : public PartitionMapEntryRepresentable {
public:
    bool interesting = false;
    std::shared_ptr<const VolumeRepresentable> volume;

    explicit FakePartition(bool interesting = false) : interesting(interesting) {}

    std::string partitionTypeLabel() const override { return "Apple_HFS"; }
    std::string partitionName() const override { return "MacOS"; }
    int64_t sizeInBytes() const override { return 40960; }
    bool isInteresting() const override { return interesting; }
    bool hasWarning() const override { return false; }
    std::optional<ImageBytes> partitionData() const override { return std::nullopt; }
    std::shared_ptr<const VolumeRepresentable> associatedVolume() const override { return volume; }
    void setAssociatedVolume(std::shared_ptr<const VolumeRepresentable> newVolume) override {
        volume = std::move(newVolume);
    }
    std::string preferredName() const override { return "MacOS"; }
    int64_t startPhysicalBlock() const override { return 96; }
    int64_t sizeInPhysicalBlocks() const override { return 80; }
};

class FakeDevice : public DeviceRepresentable {
public:
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> partitions;
    mutable int partitionReads = 0;

    std::string deviceName() const override { return "Fake device"; }
    std::optional<std::string> additionalName() const override { return std::nullopt; }
    SupportedOS targetOS() const override { return SupportedOS::macintosh; }
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> devicePartitions() const override {
        ++partitionReads;
        return partitions;
    }
    int64_t physicalBlockSize() const override { return 512; }
    std::shared_ptr<const VolumeRepresentable> volumeForPartition(int64_t) const override { return nullptr; }
};

// A hard disk that is also laid out in tracks, as Amiga hard disks are.
class FakeHardDisk : public FakeDevice, public PhysicalDiskRepresentable {
public:
    int64_t trackCount() const override { return 80; }
    int64_t sectorCount() const override { return 11; }
    int64_t sideCount() const override { return 2; }
    bool canBeShownGraphically() const override { return false; }
    std::vector<OccupiedSector> occupiedSectors() const override { return {}; }
    VolumeItem itemAt(int64_t, int64_t, int64_t) const override { return nullptr; }
    std::vector<SectorAddress> sectorsFor(const VolumeItem&) const override { return {}; }
    const PhysicalDiskRepresentable* physicalDisk() const override { return this; }
};

TEST(DeviceDefaults, FirstInterestingPartition) {
    FakeDevice device;
    EXPECT_EQ(device.firstInterestingPartition(), std::nullopt) << "no partitions";
    device.partitions = {std::make_shared<FakePartition>(false), std::make_shared<FakePartition>(false)};
    EXPECT_EQ(device.firstInterestingPartition(), std::nullopt) << "none interesting";
    device.partitions = {std::make_shared<FakePartition>(false), std::make_shared<FakePartition>(true),
                         std::make_shared<FakePartition>(true)};
    device.partitionReads = 0;
    EXPECT_EQ(device.firstInterestingPartition(), 1);
    EXPECT_EQ(device.partitionReads, 1);
}

TEST(DeviceDefaults, PhysicalDiskSide) {
    EXPECT_EQ(FakeDevice().physicalDisk(), nullptr);
    FakeHardDisk disk;
    const DeviceRepresentable& device = disk;
    ASSERT_NE(device.physicalDisk(), nullptr);
    EXPECT_EQ(device.physicalDisk()->codable(), (CodableDiskGeometry{80, 2, 11}));
}

TEST(PartitionEntry, SetVolumeAndCodable) {
    FakePartition partition;
    const CodablePartition bare{"Apple_HFS", "MacOS", 96, 80, std::nullopt};
    EXPECT_EQ(partition.codable(true), bare) << "verbose, but no volume";

    auto volume = std::make_shared<FakeVolume>();
    volume->add(nullptr, FakeItem("Finder"));
    partition.setVolume(volume);
    EXPECT_EQ(partition.associatedVolume(), volume);
    EXPECT_EQ(partition.codable(false), bare);

    const CodablePartition verbose = partition.codable(true);
    ASSERT_TRUE(verbose.volume.has_value());
    EXPECT_EQ(*verbose.volume, volume->codable(true));
    EXPECT_EQ(verbose.volume->fileHierarchy->size(), 1u);
}

TEST(ModelEnumerations, NamesAndErrors) {
    EXPECT_STREQ(descriptiveName(SupportedOS::apple), "Non-Macintosh Apple");
    EXPECT_STREQ(descriptiveName(SupportedOS::appleII), "Apple II");
    EXPECT_STREQ(descriptiveName(SupportedOS::amiga), "Amiga");
    EXPECT_STREQ(descriptiveName(SupportedOS::macintosh), "Macintosh");
    EXPECT_STREQ(descriptiveName(SupportedOS::other), "Other");
    EXPECT_STREQ(ImageWrapperRepresentableError(ImageWrapperRepresentableError::Case::invalidImageLength).what(),
                 "invalidImageLength");
    EXPECT_STREQ(ImageWrapperRepresentableError(ImageWrapperRepresentableError::Case::unextractableImage).what(),
                 "unextractableImage");
}

// The compile-time rule for containers' static unpacking.
struct FakeWrapper : ImageWrapperRepresentable {
    std::string descriptiveName() const override { return "2MG"; }
    std::string helpfulDescription() const override { return ""; }
    static ImageBytes extractedImage(const ImageBytes& container) { return container.sliceFrom(64); }
};
struct WrapperWithoutUnpacking : ImageWrapperRepresentable {
    std::string descriptiveName() const override { return ""; }
    std::string helpfulDescription() const override { return ""; }
};
static_assert(ExtractableImageWrapper<FakeWrapper>);
static_assert(!ExtractableImageWrapper<WrapperWithoutUnpacking>);

}  // namespace
}  // namespace zorv
