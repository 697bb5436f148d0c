#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSError.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSVolume.hpp"
#include "disk_image/model/ImageRepresentable.hpp"
#include "MFSImageBuilder.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::MFSEntryFields;
using testing::MFSImageBuilder;
using testing::ScopedTimeZone;

static_assert(ImageRepresentable<MFSVolume>);

constexpr int64_t kUnixEpochIn1904Seconds = 2082844800;
constexpr const char* kBootableText = "This is a bootable MFS Volume. It contains the files required to start an early Mac.";
constexpr const char* kNonBootableText =
    "This is a non-bootable MFS Volume. While it can be used by an early Mac, it cannot start one.";

MFSEntryFields file(const std::string& name, int64_t fileNumber) {
    MFSEntryFields fields;
    fields.name = name;
    fields.fileNumber = fileNumber;
    return fields;
}

MFSVolume volumeOf(const Bytes& image) {
    auto volume = MFSVolume::fromImageData(ImageBytes(image));
    if (!volume) throw std::runtime_error("not an MFS volume");
    return *volume;
}

std::vector<std::string> childNames(const VolumeRepresentable& volume) {
    std::vector<std::string> names;
    const int64_t count = volume.numberOfChildrenOfItem(nullptr);
    for (int64_t index = 0; index < count; ++index) {
        const VolumeItem item = volume.child(index, nullptr);
        names.push_back(item ? item->name() : "<null>");
    }
    return names;
}

BlockStructureDefinableError::Case blockErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const BlockStructureDefinableError& error) {
        return error.errorCase;
    }
    ADD_FAILURE() << "no BlockStructureDefinableError";
    return BlockStructureDefinableError::Case::notEnoughSpace;
}

// An item of some other format.
struct ForeignItem : VolumeItemRepresentable {
    std::string name() const override { return "foreign"; }
    std::optional<int64_t> logicalSizeInBytes() const override { return 0; }
    std::optional<int64_t> physicalSizeInBytes() const override { return 0; }
    std::optional<Date> creationDate() const override { return std::nullopt; }
    std::optional<Date> modificationDate() const override { return std::nullopt; }
    bool isFolder() const override { return true; }
    std::optional<std::vector<FinderFlag>> flags() const override { return std::nullopt; }
    std::optional<std::string> kind() const override { return std::nullopt; }
    std::optional<OSType> type() const override { return std::nullopt; }
    std::optional<OSType> creator() const override { return std::nullopt; }
    bool isExportable() const override { return true; }
};

// ---------------------------------------------------------------------------
// The probe

struct ProbeCase {
    const char* label;
    size_t size;
    size_t signatureAt;  // where 0xD2 0xD7 go (as far as they fit)
    bool isVolume;
};

class MFSVolumeProbe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(MFSVolumeProbe, LooksOnlyAtTheSignatureAt1024) {
    const ProbeCase& probe = GetParam();
    Bytes image(probe.size, 0);
    if (probe.signatureAt < image.size()) image[probe.signatureAt] = 0xD2;
    if (probe.signatureAt + 1 < image.size()) image[probe.signatureAt + 1] = 0xD7;
    const auto volume = MFSVolume::fromImageData(ImageBytes(image));
    ASSERT_EQ(volume.has_value(), probe.isVolume);
    if (volume) {
        EXPECT_EQ(volume->blockSize, 512);
        EXPECT_EQ(volume->structureData.size(), probe.size);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MFSVolumeProbe,
                         ::testing::Values(ProbeCase{"smallest", 1026, 1024, true},
                                           ProbeCase{"a floppy", 409600, 1024, true},
                                           ProbeCase{"one byte short", 1025, 1024, false},
                                           ProbeCase{"signature at the start", 4096, 0, false},
                                           ProbeCase{"signature one byte late", 4096, 1025, false},
                                           ProbeCase{"no signature", 409600, 409600, false},
                                           ProbeCase{"empty", 0, 0, false}),
                         testing::namedBy(&ProbeCase::label));

TEST(MFSVolumeProbe, HFSSignatureIsNotMFS) {
    Bytes image(4096, 0);
    image[1024] = 'B';
    image[1025] = 'D';
    EXPECT_FALSE(MFSVolume::fromImageData(ImageBytes(image)).has_value());
}

// ---------------------------------------------------------------------------
// Images too short for their records

struct ShortCase {
    const char* label;
    size_t size;
    bool startsWithLK;
};

class MFSVolumeTooShort : public ::testing::TestWithParam<ShortCase> {};

TEST_P(MFSVolumeTooShort, FallsBackWithoutThrowing) {
    const ShortCase& image = GetParam();
    Bytes bytes = MFSImageBuilder().build();
    bytes.resize(image.size);
    if (image.startsWithLK) {
        bytes[0] = 'L';
        bytes[1] = 'K';
    }
    const MFSVolume volume = volumeOf(bytes);
    EXPECT_EQ(volume.volumeName(), "No MDB");
    EXPECT_EQ(volume.totalCapacityInBytes(), -1);
    EXPECT_EQ(volume.freeCapacityInBytes(), -1);
    EXPECT_EQ(volume.creationDate(), std::nullopt);
    EXPECT_EQ(volume.modificationDate(), std::nullopt);
    EXPECT_EQ(volume.totalCountOfFiles(), std::nullopt);
    EXPECT_EQ(volume.totalCountOfFolders(), 0);
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 0);
    EXPECT_EQ(volume.child(0, nullptr), nullptr);
    EXPECT_TRUE(volume.isFormatted());
    EXPECT_EQ(volume.isBootable(), image.startsWithLK);
    EXPECT_EQ(volume.helpfulDescription(), image.startsWithLK ? kBootableText : kNonBootableText);
    EXPECT_TRUE(volume.fileHierarchy().empty());
    EXPECT_EQ(blockErrorOf([&] { volume.masterDirectoryBlock(); }),
              BlockStructureDefinableError::Case::unreacheableBlock);
    EXPECT_EQ(blockErrorOf([&] { volume.fileDirectory(); }), BlockStructureDefinableError::Case::unreacheableBlock);
}

INSTANTIATE_TEST_SUITE_P(Cases, MFSVolumeTooShort,
                         ::testing::Values(ShortCase{"signature only", 1026, false},
                                           ShortCase{"signature only, boot blocks", 1026, true},
                                           ShortCase{"three blocks", 1536, false},
                                           ShortCase{"one byte short of four blocks", 2047, true}),
                         testing::namedBy(&ShortCase::label));

TEST(MFSVolumeTooShort, FewerThanTwoBlocksIsNeverBootable) {
    Bytes bytes(1026, 0);
    bytes[0] = 'L';
    bytes[1] = 'K';
    bytes[1024] = 0xD2;
    bytes[1025] = 0xD7;
    // A volume made directly, with blocks larger than the image.
    const MFSVolume volume(1024, ImageBytes(bytes));
    EXPECT_FALSE(volume.isBootable());
    EXPECT_EQ(volume.helpfulDescription(), kNonBootableText);
    EXPECT_EQ(blockErrorOf([&] { volume.isBootableInternal(); }),
              BlockStructureDefinableError::Case::unreacheableBlock);
}

TEST(MFSVolume, WrongSignatureInADirectlyMadeVolume) {
    Bytes bytes = MFSImageBuilder().add(0, file("A", 1)).build();
    bytes[1024] = 'B';
    bytes[1025] = 'D';
    const MFSVolume volume(512, ImageBytes(bytes));
    EXPECT_THROW(volume.fileDirectory(), MFSError);
    EXPECT_EQ(volume.volumeName(), "No MDB");
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 0);
}

// ---------------------------------------------------------------------------
// Where the directory lies

struct DirectoryCase {
    const char* label;
    int64_t imageBlocks;
    int64_t directoryStart;
    int64_t directoryLength;
    // Entries by directory sector, counted from directoryStart (negative:
    // before the directory).
    std::vector<std::pair<int64_t, std::string>> placed;
    int64_t fileCount;
    std::vector<std::string> expected;
};

class MFSVolumeDirectory : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(MFSVolumeDirectory, ReadsTheBlocksTheMasterDirectoryBlockNames) {
    const DirectoryCase& layout = GetParam();
    MFSImageBuilder image;
    image.imageBlocks = layout.imageBlocks;
    image.directoryStart = layout.directoryStart;
    image.directoryLength = layout.directoryLength;
    image.fileCount = layout.fileCount;
    int64_t number = 1;
    for (const auto& [sector, name] : layout.placed) image.add(sector, file(name, number++));
    const MFSVolume volume = volumeOf(image.build());

    std::vector<std::string> names;
    for (const MFSFileDirectoryEntry& entry : volume.fileDirectory().entries) names.push_back(entry.flNam);
    EXPECT_EQ(names, layout.expected);
    EXPECT_EQ(childNames(volume), layout.expected);
    EXPECT_EQ(volume.totalCountOfFiles(), layout.fileCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MFSVolumeDirectory,
    ::testing::Values(
        DirectoryCase{"ten blocks from 4", 800, 4, 10, {{0, "first"}, {9, "tenth"}, {10, "beyond"}}, 3,
                      {"first", "tenth"}},
        // A 400K floppy: the last two blocks hold files too.
        DirectoryCase{"twelve blocks from 4",
                      800,
                      4,
                      12,
                      {{0, "first"}, {9, "tenth"}, {10, "eleventh"}, {11, "twelfth"}, {12, "beyond"}},
                      5,
                      {"first", "tenth", "eleventh", "twelfth"}},
        // A 1440K disk.
        DirectoryCase{"forty-six blocks", 2880, 4, 46, {{0, "DeskTop"}, {45, "last"}}, 2, {"DeskTop", "last"}},
        DirectoryCase{"starting at block 6", 800, 6, 12, {{-2, "block four"}, {0, "block six"}}, 2, {"block six"}},
        DirectoryCase{"cut by the end of the image",
                      13,
                      4,
                      12,
                      {{0, "first"}, {8, "in block 12"}, {9, "in block 13"}},
                      3,
                      {"first", "in block 12"}},
        DirectoryCase{"an image of exactly fourteen blocks", 14, 4, 10, {{0, "first"}, {9, "last"}}, 2,
                      {"first", "last"}},
        DirectoryCase{"no directory blocks", 800, 4, 0, {{0, "first"}}, 1, {}},
        DirectoryCase{"no files announced", 800, 4, 12, {{0, "first"}}, 0, {}}),
    testing::namedBy(&DirectoryCase::label));

TEST(MFSVolumeDirectory, DirectoryBeyondTheImage) {
    MFSImageBuilder image;
    image.imageBlocks = 800;
    image.directoryStart = 800;
    image.fileCount = 3;
    const MFSVolume volume = volumeOf(image.build());
    EXPECT_EQ(blockErrorOf([&] { volume.fileDirectory(); }), BlockStructureDefinableError::Case::unreacheableBlock);
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 0);
    EXPECT_EQ(volume.volumeName(), "Untitled");
    EXPECT_EQ(volume.totalCountOfFiles(), 3);
}

TEST(MFSVolumeDirectory, FourBlocksHoldTheMasterDirectoryBlockButNoDirectory) {
    MFSImageBuilder image;
    image.imageBlocks = 4;
    image.volumeName = "Short";
    image.fileCount = 1;
    const MFSVolume volume = volumeOf(image.build());
    EXPECT_EQ(volume.volumeName(), "Short");
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 0);
    EXPECT_EQ(blockErrorOf([&] { volume.fileDirectory(); }), BlockStructureDefinableError::Case::unreacheableBlock);
}

// ---------------------------------------------------------------------------
// The volume as the reports see it

struct CapacityCase {
    int64_t allocationBlocks;
    int64_t allocationBlockSize;
    int64_t freeBlocks;
    int64_t total;
    int64_t free;
};

class MFSVolumeCapacity : public ::testing::TestWithParam<CapacityCase> {};

TEST_P(MFSVolumeCapacity, CountsAllocationBlocks) {
    MFSImageBuilder image;
    image.allocationBlocks = GetParam().allocationBlocks;
    image.allocationBlockSize = GetParam().allocationBlockSize;
    image.freeBlocks = GetParam().freeBlocks;
    const MFSVolume volume = volumeOf(image.build());
    EXPECT_EQ(volume.totalCapacityInBytes(), GetParam().total);
    EXPECT_EQ(volume.freeCapacityInBytes(), GetParam().free);
}

INSTANTIATE_TEST_SUITE_P(Cases, MFSVolumeCapacity,
                         ::testing::Values(CapacityCase{391, 1024, 0, 400384, 0},
                                           CapacityCase{471, 3072, 467, 1446912, 1434624},
                                           CapacityCase{0, 1024, 0, 0, 0},
                                           CapacityCase{65535, 0xFFFFFFFF, 65535, 65535 * int64_t{0xFFFFFFFF},
                                                        65535 * int64_t{0xFFFFFFFF}}),
                         testing::namedBy([](const CapacityCase& c) {
                             return std::to_string(c.allocationBlocks) + " blocks of " +
                                    std::to_string(c.allocationBlockSize) + ", " + std::to_string(c.freeBlocks) +
                                    " free";
                         }));

TEST(MFSVolume, ElevenFilesAtTheTop) {
    MFSImageBuilder image;
    for (int i = 0; i < 8; ++i) image.add(0, file("First " + std::to_string(i), i + 1));
    for (int i = 0; i < 3; ++i) image.add(1, file("Second " + std::to_string(i), i + 9));
    const MFSVolume volume = volumeOf(image.build());

    EXPECT_EQ(volume.totalCountOfFiles(), 11);
    EXPECT_EQ(volume.totalCountOfFolders(), 0);
    ASSERT_EQ(volume.numberOfChildrenOfItem(nullptr), 11);
    EXPECT_FALSE(volume.isItemExpandable(nullptr));
    for (int64_t index = 0; index < 11; ++index) {
        const VolumeItem item = volume.child(index, nullptr);
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->isFolder());
        EXPECT_FALSE(volume.isItemExpandable(item));
        EXPECT_EQ(volume.numberOfChildrenOfItem(item), 0);
        EXPECT_EQ(volume.child(0, item), nullptr);
        EXPECT_EQ(volume.parentItem(item), nullptr);
        EXPECT_EQ(volume.volumeItem(item), item);
        EXPECT_EQ(volume.tree(item), std::vector<std::string>{"Untitled - Macintosh (MFS)"});
        EXPECT_EQ(volume.getFork(ForkType::data, item), std::nullopt);
        EXPECT_EQ(volume.getFork(ForkType::resource, item), std::nullopt);
    }
    EXPECT_EQ(volume.child(11, nullptr), nullptr);
    EXPECT_EQ(volume.child(-1, nullptr), nullptr);

    const auto hierarchy = volume.fileHierarchy();
    ASSERT_EQ(hierarchy.size(), 11u);
    EXPECT_EQ(hierarchy.front().item->name(), "First 0");
    EXPECT_EQ(hierarchy.back().item->name(), "Second 2");
    for (const auto& element : hierarchy) EXPECT_EQ(element.level, 0);
}

TEST(MFSVolume, HandsOutTheSameItemWhileTheBytesStay) {
    const MFSVolume volume = volumeOf(MFSImageBuilder().add(0, file("A", 1)).build());
    EXPECT_EQ(volume.child(0, nullptr), volume.child(0, nullptr));
    const MFSVolume copy = volume;
    EXPECT_TRUE(isSameVolumeItem(volume.child(0, nullptr), copy.child(0, nullptr)));
}

TEST(MFSVolume, SeesChangesToItsBytes) {
    MFSVolume volume = volumeOf(MFSImageBuilder().add(0, file("A", 1)).add(1, file("B", 2)).build());
    ASSERT_EQ(childNames(volume), (std::vector<std::string>{"A", "B"}));
    volume.initLogicalBlock(4, Bytes(512, 0), 1);
    EXPECT_EQ(childNames(volume), std::vector<std::string>{"B"});
}

TEST(MFSVolume, ForeignItemsAreNotItsOwn) {
    const MFSVolume volume = volumeOf(MFSImageBuilder().add(0, file("A", 1)).build());
    const VolumeItem foreign = std::make_shared<const ForeignItem>();
    EXPECT_EQ(volume.volumeItem(foreign), nullptr);
    EXPECT_EQ(volume.volumeItem(nullptr), nullptr);
    EXPECT_EQ(volume.numberOfChildrenOfItem(foreign), 0);
    EXPECT_EQ(volume.child(0, foreign), nullptr);
    EXPECT_EQ(volume.getFork(ForkType::data, foreign), std::nullopt);
}

TEST(MFSVolume, NoBlockIsOccupied) {
    const MFSVolume volume = volumeOf(MFSImageBuilder().add(0, file("A", 1)).build());
    for (int64_t block : {int64_t{-1}, int64_t{0}, int64_t{2}, int64_t{16}, int64_t{799}, int64_t{1} << 40}) {
        EXPECT_FALSE(volume.isBlockOccupied(block)) << block;
    }
    EXPECT_FALSE(volume.isRangeOccupied(0, 799));
}

TEST(MFSVolume, NameFormatAndDescription) {
    MFSImageBuilder image;
    image.volumeName = "System Disk";
    const MFSVolume plain = volumeOf(image.build());
    EXPECT_EQ(plain.volumeName(), "System Disk");
    EXPECT_EQ(plain.volumeFormatName(), "Macintosh (MFS)");
    EXPECT_FALSE(plain.isBootable());
    EXPECT_EQ(plain.helpfulDescription(), kNonBootableText);
    EXPECT_EQ(plain.wrapper(), nullptr);
    EXPECT_FALSE(plain.hasForks());

    image.bootable = true;
    const MFSVolume bootable = volumeOf(image.build());
    EXPECT_TRUE(bootable.isBootable());
    EXPECT_TRUE(bootable.isBootableInternal());
    EXPECT_EQ(bootable.helpfulDescription(), kBootableText);
}

TEST(MFSVolume, DatesAreLocalTimeSince1904) {
    MFSImageBuilder image;
    image.created = 2526085569;  // 1984-01-18 02:26:09 on the Macintosh's clock
    MFSEntryFields fields = file("System", 2);
    fields.created = 2526631366;
    fields.modified = 2526657203;
    image.add(0, fields);
    const MFSVolume volume = volumeOf(image.build());

    {
        ScopedTimeZone utc("UTC");
        EXPECT_EQ(volume.creationDate(), Date{2526085569 - kUnixEpochIn1904Seconds});
        const VolumeItem system = volume.child(0, nullptr);
        ASSERT_NE(system, nullptr);
        EXPECT_EQ(system->creationDate(), Date{2526631366 - kUnixEpochIn1904Seconds});
        EXPECT_EQ(system->modificationDate(), Date{2526657203 - kUnixEpochIn1904Seconds});
    }
    {
        // New York was five hours behind UTC in January 1904; the same clock
        // reading is a later instant.
        ScopedTimeZone newYork("America/New_York");
        EXPECT_EQ(volume.creationDate(), Date{2526085569 - kUnixEpochIn1904Seconds + 5 * 3600});
        const VolumeItem system = volume.child(0, nullptr);
        ASSERT_NE(system, nullptr);
        EXPECT_EQ(system->modificationDate(), Date{2526657203 - kUnixEpochIn1904Seconds + 5 * 3600});
    }
    EXPECT_EQ(volume.modificationDate(), std::nullopt);
}

TEST(MFSVolume, ItemDatesFollowAZoneWithTheSameOffsetIn1904) {
    // London kept GMT in 1904, as UTC does, but not in the summer of 1984:
    // the items read under UTC are read again.
    MFSImageBuilder image;
    MFSEntryFields fields = file("Summer", 2);
    fields.modified = 2540189045;  // 1984-06-29 08:04:05 on the Macintosh's clock
    image.add(0, fields);
    const MFSVolume volume = volumeOf(image.build());
    {
        ScopedTimeZone utc("UTC");
        const VolumeItem summer = volume.child(0, nullptr);
        ASSERT_NE(summer, nullptr);
        EXPECT_EQ(summer->modificationDate(), Date{2540189045 - kUnixEpochIn1904Seconds});
    }
    ScopedTimeZone london("Europe/London");
    const VolumeItem summer = volume.child(0, nullptr);
    ASSERT_NE(summer, nullptr);
    EXPECT_EQ(summer->modificationDate(), Date{2540189045 - kUnixEpochIn1904Seconds - 3600});
}

TEST(MFSVolume, ReportRecord) {
    ScopedTimeZone utc("UTC");
    MFSImageBuilder image;
    image.volumeName = "Report";
    image.bootable = true;
    image.created = kUnixEpochIn1904Seconds;  // 1970-01-01
    image.add(0, file("One", 1)).add(0, file("Two", 2));
    const CodableVolume record = volumeOf(image.build()).codable(true);
    EXPECT_EQ(record.name, "Report");
    EXPECT_TRUE(record.bootable);
    EXPECT_EQ(record.totalCapacityInBytes, 391 * 1024);
    EXPECT_EQ(record.creationDate, std::optional<std::string>("1970-01-01T00:00:00Z"));
    EXPECT_EQ(record.modificationDate, std::nullopt);
    ASSERT_TRUE(record.fileHierarchy.has_value());
    ASSERT_EQ(record.fileHierarchy->size(), 2u);
    EXPECT_EQ((*record.fileHierarchy)[1].name, "Two");
    EXPECT_EQ((*record.fileHierarchy)[1].type, std::nullopt);
}

}  // namespace
}  // namespace zorv
