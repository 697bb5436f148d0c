// Amiga hard disks built here block by block: a Rigid Disk Block, partition
// blocks whose DOS environment places each volume, file system headers with
// their load segments, and blank Amiga DOS volumes where AmigaDOS would mount
// them; then damaged ones (loops, pointers outside the image, impossible
// geometries).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"
#include "disk_image/formats/amiga/hard_disk/AmigaHardDisk.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "disk_image/parser/ImageParserError.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

constexpr int64_t endOfChain = 0xFFFFFFFF;  // -1 as a stored long

// The drive of most tests: 40 cylinders of 2 heads x 27 sectors (54 blocks).
struct Drive {
    int64_t cylinders = 40;
    int64_t sectors = 27;
    int64_t heads = 2;
    int64_t blockBytes = 512;
    int64_t partitionList = endOfChain;
    int64_t fileSysHeaderList = endOfChain;
    std::string vendor = "ZORV";
    std::string product = "TESTDRIVE";
    std::string revision = "1.0";
};

Bytes padded(ByteBuilder builder, size_t size) {
    builder.zeros(size - builder.size());
    return builder;
}

Bytes rigidDiskBlock(const Drive& drive) {
    return padded(ByteBuilder()
                      .text("RDSK")
                      .u32(64)
                      .u32(0)  // checksum, never checked
                      .u32(7)
                      .u32(drive.blockBytes)
                      .u32(0x17)
                      .u32(endOfChain)  // bad blocks
                      .u32(drive.partitionList)
                      .u32(drive.fileSysHeaderList)
                      .u32(endOfChain)  // drive init
                      .zeros(24)
                      .u32(drive.cylinders)
                      .u32(drive.sectors)
                      .u32(drive.heads)
                      .zeros(96 - 76)
                      .zeros(160 - 96)
                      .text(drive.vendor)
                      .zeros(8 - drive.vendor.size())
                      .text(drive.product)
                      .zeros(16 - drive.product.size())
                      .text(drive.revision)
                      .zeros(4 - drive.revision.size()),
                  512);
}

// A partition block: its name and the DOS environment that places it.
struct Environment {
    std::string name = "DH0";
    int64_t next = endOfChain;
    int64_t surfaces = 2;
    int64_t blocksPerTrack = 27;
    int64_t reservedBlocks = 2;
    int64_t lowCyl = 2;
    int64_t hiCyl = 11;
    int flavour = 0;  // the byte after "DOS"
};

Bytes partitionBlock(const Environment& environment) {
    return padded(ByteBuilder()
                      .text("PART")
                      .u32(64)
                      .u32(0)
                      .u32(7)
                      .u32(environment.next)
                      .u32(1)
                      .zeros(8)
                      .u32(0)
                      .pascal(environment.name, 32)
                      .zeros(60)
                      .u32(16)   // sizeOfVector
                      .u32(128)  // blockSize, in longs
                      .u32(0)
                      .u32(environment.surfaces)
                      .u32(1)
                      .u32(environment.blocksPerTrack)
                      .u32(environment.reservedBlocks)
                      .u32(0)
                      .u32(0)
                      .u32(environment.lowCyl)
                      .u32(environment.hiCyl)
                      .u32(30)
                      .u32(0)
                      .u32(0xFFFFFF)
                      .u32(0x7FFFFFFE)
                      .u32(0)
                      .text("DOS")
                      .u8(environment.flavour),
                  512);
}

Bytes fileSystemHeader(int64_t next, int flavour, int64_t segListBlock) {
    return padded(ByteBuilder()
                      .text("FSHD")
                      .u32(64)
                      .u32(0)
                      .u32(7)
                      .u32(next)
                      .u32(0)
                      .zeros(8)
                      .text("DOS")
                      .u8(flavour)
                      .u32(0x002D0000)  // version 45.0
                      .zeros(72 - 40)
                      .u32(segListBlock)
                      .u32(endOfChain),
                  512);
}

// A load segment whose 492 bytes of code are all `fill`.
Bytes loadSegment(int64_t next, uint8_t fill) {
    ByteBuilder builder;
    builder.text("LSEG").u32(128).u32(0).u32(7).u32(next);
    for (int index = 0; index < 492; ++index) builder.u8(fill);
    return builder;
}

// The whole drive, zero-filled, with the Rigid Disk Block at block 0.
Bytes driveImage(const Drive& drive) {
    Bytes image(static_cast<size_t>(drive.cylinders * drive.sectors * drive.heads * drive.blockBytes), 0);
    const Bytes block = rigidDiskBlock(drive);
    std::copy(block.begin(), block.end(), image.begin());
    return image;
}

void put(Bytes& image, int64_t block, const Bytes& bytes) {
    std::copy(bytes.begin(), bytes.end(), image.begin() + block * 512);
}

// The first `blocks` blocks of a new blank Amiga DOS volume ("Empty").
Bytes blankVolume(const ADFDiskGeometry& geometry, int64_t blocks) {
    const Bytes whole = ADFDisk::blankDisk(geometry, false).structureData.toBytes();
    return Bytes(whole.begin(), whole.begin() + blocks * 512);
}

// --- Where a partition lies ---

struct LayoutCase {
    const char* name;
    Environment environment;
    ADFDiskGeometry volumeGeometry;  // of the blank volume placed at `start`
    int64_t start;
    int64_t length;
};

std::ostream& operator<<(std::ostream& out, const LayoutCase& c) { return out << c.name; }

class PartitionLayouts : public ::testing::TestWithParam<LayoutCase> {};

// AmigaDOS mounts a partition with its own surfaces, blocks per track and
// reserved blocks; the volume opens where it would mount it.
TEST_P(PartitionLayouts, TheVolumeOpensWhereAmigaDOSMountsIt) {
    const LayoutCase& c = GetParam();
    Drive drive;
    drive.partitionList = 1;
    Bytes image = driveImage(drive);
    put(image, 1, partitionBlock(c.environment));
    put(image, c.start, blankVolume(c.volumeGeometry, c.length));

    const AmigaHardDisk disk{ImageBytes(image)};
    ASSERT_EQ(disk.partitions.size(), 1u);
    const ADFDiskPartition& partition = disk.partitions[0];
    EXPECT_EQ(partition.startPhysicalBlock(), c.start);
    EXPECT_EQ(partition.sizeInPhysicalBlocks(), c.length);
    EXPECT_EQ(partition.sizeInBlocks(), c.length);
    EXPECT_EQ(partition.sizeInBytes(), c.length * 512);
    const auto volume = std::dynamic_pointer_cast<const ADFDisk>(partition.associatedVolume());
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->volumeName(), "Empty");
    EXPECT_EQ(volume->trackCount(), c.environment.hiCyl - c.environment.lowCyl + 1);
    EXPECT_EQ(volume->sizeInBytes(), c.length * 512);
    EXPECT_EQ(partition.partitionTypeLabel(), "Empty");
    EXPECT_EQ(partition.preferredName(), "Empty");
    EXPECT_EQ(partition.partitionName(), c.environment.name);
}

INSTANTIATE_TEST_SUITE_P(
    Crafted, PartitionLayouts,
    ::testing::Values(
        // The environment repeats the drive's geometry.
        LayoutCase{"DrivesGeometry", Environment{}, {10, 27, 2, 512}, 108, 540},
        // An environment without surfaces or blocks per track: the drive's.
        LayoutCase{"NoSurfaces", Environment{.surfaces = 0}, {10, 27, 2, 512}, 108, 540},
        LayoutCase{"NoBlocksPerTrack", Environment{.blocksPerTrack = 0}, {10, 27, 2, 512}, 108, 540},
        // Cylinders of 63 blocks on one surface: start 10 x 63, not 10 x 54.
        // With 12 reserved blocks the root of the 630 blocks is at
        // (12 + 629) div 2 = 320, where a blank volume of 640 blocks has it.
        LayoutCase{"OwnGeometryAndReservedBlocks",
                   Environment{.surfaces = 1, .blocksPerTrack = 63, .reservedBlocks = 12, .lowCyl = 10, .hiCyl = 19},
                   {10, 64, 1, 512},
                   630,
                   630},
        // 0 reserved blocks count as 2: the root of 549 blocks is at 275, one
        // after both (0 + 548) div 2 and 549 div 2.
        LayoutCase{"NoReservedBlocks",
                   Environment{.surfaces = 1, .blocksPerTrack = 61, .reservedBlocks = 0, .lowCyl = 20, .hiCyl = 28},
                   {9, 61, 1, 512},
                   1220,
                   549}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AmigaHardDisk, TwoPartitionsInChainOrder) {
    Drive drive{.cylinders = 202, .sectors = 32, .heads = 4, .partitionList = 2};
    Bytes image = driveImage(drive);
    // Chain order, not block order: block 2 first.
    put(image, 2,
        partitionBlock({.name = "DH0", .next = 1, .surfaces = 4, .blocksPerTrack = 32, .lowCyl = 2, .hiCyl = 101}));
    put(image, 1, partitionBlock({.name = "DH1", .surfaces = 4, .blocksPerTrack = 32, .lowCyl = 102, .hiCyl = 201}));
    put(image, 256, blankVolume({100, 32, 4, 512}, 12800));
    put(image, 13056, blankVolume({100, 32, 4, 512}, 12800));

    const AmigaHardDisk disk{ImageBytes(image)};
    const auto partitions = disk.devicePartitions();
    ASSERT_EQ(partitions.size(), 2u);
    EXPECT_EQ(partitions[0]->partitionName(), "DH0");
    EXPECT_EQ(partitions[0]->startPhysicalBlock(), 256);
    EXPECT_EQ(partitions[1]->partitionName(), "DH1");
    EXPECT_EQ(partitions[1]->startPhysicalBlock(), 13056);
    for (const auto& partition : partitions) {
        EXPECT_EQ(partition->sizeInPhysicalBlocks(), 12800);
        EXPECT_EQ(partition->sizeInBytes(), 6553600);
        EXPECT_NE(partition->associatedVolume(), nullptr);
    }
    EXPECT_EQ(disk.firstInterestingPartition(), 0);
    EXPECT_EQ(disk.deviceName(), "ZORV TESTDRIVE 1.0");
    EXPECT_EQ(disk.trackCount(), 202);
    EXPECT_EQ(disk.sectorCount(), 32);
    EXPECT_EQ(disk.sideCount(), 4);
}

// --- Partitions listed without a volume ---

struct NoVolumeCase {
    const char* name;
    Environment environment;
    int64_t start;
    int64_t length;
};

std::ostream& operator<<(std::ostream& out, const NoVolumeCase& c) { return out << c.name; }

class PartitionsWithoutVolume : public ::testing::TestWithParam<NoVolumeCase> {};

TEST_P(PartitionsWithoutVolume, AreListedUnderTheirDriveName) {
    const NoVolumeCase& c = GetParam();
    Drive drive;
    drive.partitionList = 1;
    Bytes image = driveImage(drive);
    put(image, 1, partitionBlock(c.environment));

    const AmigaHardDisk disk{ImageBytes(image)};
    ASSERT_EQ(disk.partitions.size(), 1u);
    const ADFDiskPartition& partition = disk.partitions[0];
    EXPECT_EQ(partition.associatedVolume(), nullptr);
    EXPECT_EQ(disk.volumeForPartition(0), nullptr);
    EXPECT_EQ(partition.partitionTypeLabel(), c.environment.name);
    EXPECT_EQ(partition.preferredName(), c.environment.name);
    EXPECT_EQ(partition.startPhysicalBlock(), c.start);
    EXPECT_EQ(partition.sizeInPhysicalBlocks(), c.length);
    EXPECT_EQ(partition.sizeInBytes(), c.length * 512);
}

INSTANTIATE_TEST_SUITE_P(
    Crafted, PartitionsWithoutVolume,
    ::testing::Values(NoVolumeCase{"ZeroFilled", {.name = "DH0"}, 108, 540},
                      NoVolumeCase{"HighCylinderBelowLow", {.name = "DH1", .lowCyl = 9, .hiCyl = 4}, 486, 0},
                      NoVolumeCase{"PastTheEnd", {.name = "DH2", .lowCyl = 30, .hiCyl = 45}, 1620, 864}),
    [](const auto& info) { return std::string(info.param.name); });

// --- File systems on the drive ---

TEST(AmigaHardDisk, FileSystemsWithTheirLoadSegmentsInChainOrder) {
    Drive drive{.fileSysHeaderList = 3};
    Bytes image = driveImage(drive);
    put(image, 3, fileSystemHeader(7, 1, 5));
    put(image, 5, loadSegment(4, 0xA1));
    put(image, 4, loadSegment(6, 0xA2));
    put(image, 6, loadSegment(endOfChain, 0xA3));
    put(image, 7, fileSystemHeader(endOfChain, 3, endOfChain));

    const AmigaHardDisk disk{ImageBytes(image)};
    EXPECT_TRUE(disk.partitions.empty());
    EXPECT_EQ(disk.firstInterestingPartition(), std::nullopt);
    ASSERT_EQ(disk.fileSystemHeaders.size(), 2u);
    const ADFDiskFileSystemHeader& first = disk.fileSystemHeaders[0];
    EXPECT_EQ(first.dosType, 1);
    EXPECT_EQ(first.version, 0x002D0000);
    Bytes expected(492, 0xA1);
    expected.insert(expected.end(), 492, 0xA2);
    expected.insert(expected.end(), 492, 0xA3);
    EXPECT_EQ(first.lseg, expected);
    EXPECT_EQ(disk.fileSystemHeaders[1].dosType, 3);
    EXPECT_TRUE(disk.fileSystemHeaders[1].lseg.empty());
}

// The probe wants "RDSK" at the start; the reader itself looks further.
TEST(AmigaHardDisk, ARigidDiskBlockAfterTheFirstBlock) {
    Drive drive{.revision = ""};
    Bytes image(512, 0);
    const Bytes drive0 = driveImage(drive);
    image.insert(image.end(), drive0.begin(), drive0.end());
    EXPECT_FALSE(AmigaHardDisk::fromImageData(ImageBytes(image)).has_value());

    const AmigaHardDisk disk{ImageBytes(image)};
    EXPECT_EQ(disk.rigidDiskBlockBlockLocation, 1);
    // An empty revision still has its separating space.
    EXPECT_EQ(disk.deviceName(), "ZORV TESTDRIVE ");
    EXPECT_EQ(disk.physicalBlockSize(), 512);
}

// --- Damaged disks ---

struct LoopCase {
    const char* name;
    std::function<void(Drive&, Bytes&)> build;
    size_t partitions;
    std::vector<size_t> lsegSizes;
};

std::ostream& operator<<(std::ostream& out, const LoopCase& c) { return out << c.name; }

class ChainLoops : public ::testing::TestWithParam<LoopCase> {};

// A chain that comes back to a block already read ends there, keeping what
// it read; the disk is still reported.
TEST_P(ChainLoops, EndAtABlockAlreadyRead) {
    const LoopCase& c = GetParam();
    Drive drive;
    Bytes image;
    c.build(drive, image);
    const auto started = std::chrono::steady_clock::now();
    const AmigaHardDisk disk{ImageBytes(image)};
    EXPECT_EQ(disk.partitions.size(), c.partitions);
    std::vector<size_t> lsegSizes;
    for (const auto& header : disk.fileSystemHeaders) lsegSizes.push_back(header.lseg.size());
    EXPECT_EQ(lsegSizes, c.lsegSizes);

    const ImageParser parser{ImageBytes(image)};
    EXPECT_EQ(parser.imageFormat(), ImageFormat::amigaHardDisk);
    EXPECT_FALSE(parser.textualDescription(true).empty());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(Crafted, ChainLoops,
                         ::testing::Values(LoopCase{"PartitionToItself",
                                                    [](Drive& drive, Bytes& image) {
                                                        drive.partitionList = 1;
                                                        image = driveImage(drive);
                                                        put(image, 1, partitionBlock({.next = 1}));
                                                    },
                                                    1,
                                                    {}},
                                           LoopCase{"PartitionsInACircle",
                                                    [](Drive& drive, Bytes& image) {
                                                        drive.partitionList = 1;
                                                        image = driveImage(drive);
                                                        put(image, 1, partitionBlock({.next = 2}));
                                                        put(image, 2,
                                                            partitionBlock({.next = 3, .lowCyl = 12, .hiCyl = 21}));
                                                        put(image, 3,
                                                            partitionBlock({.next = 1, .lowCyl = 22, .hiCyl = 31}));
                                                    },
                                                    3,
                                                    {}},
                                           LoopCase{"FileSystemHeaderToItself",
                                                    [](Drive& drive, Bytes& image) {
                                                        drive.fileSysHeaderList = 3;
                                                        image = driveImage(drive);
                                                        put(image, 3, fileSystemHeader(3, 1, endOfChain));
                                                    },
                                                    0,
                                                    {0}},
                                           LoopCase{"LoadSegmentsInACircle",
                                                    [](Drive& drive, Bytes& image) {
                                                        drive.fileSysHeaderList = 3;
                                                        image = driveImage(drive);
                                                        put(image, 3, fileSystemHeader(endOfChain, 1, 4));
                                                        put(image, 4, loadSegment(5, 1));
                                                        put(image, 5, loadSegment(4, 2));
                                                    },
                                                    0,
                                                    {984}},
                                           // Two headers sharing one segment chain: the second one ends at once,
                                           // so the load data never outgrows the image.
                                           LoopCase{"HeadersSharingSegments",
                                                    [](Drive& drive, Bytes& image) {
                                                        drive.fileSysHeaderList = 3;
                                                        image = driveImage(drive);
                                                        put(image, 3, fileSystemHeader(4, 1, 5));
                                                        put(image, 4, fileSystemHeader(endOfChain, 1, 5));
                                                        put(image, 5, loadSegment(endOfChain, 1));
                                                    },
                                                    0,
                                                    {492, 0}},
                                           LoopCase{"PartitionChainIntoTheFileSystems",
                                                    [](Drive& drive, Bytes& image) {
                                                        drive.partitionList = 1;
                                                        drive.fileSysHeaderList = 3;
                                                        image = driveImage(drive);
                                                        put(image, 1, partitionBlock({.next = 3}));
                                                        put(image, 3, fileSystemHeader(endOfChain, 1, endOfChain));
                                                    },
                                                    2,
                                                    {}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Partitions that all claim the same blocks: volumes are opened for no more
// blocks than the image holds (2,160 here, four times 540), the rest are
// listed without one.
TEST(AmigaHardDisk, OverlappingPartitionsOpenNoMoreThanTheImageHolds) {
    Drive drive{.partitionList = 1};
    Bytes image = driveImage(drive);
    for (int64_t block = 1; block <= 6; ++block)
        put(image, block, partitionBlock({.next = block < 6 ? block + 1 : endOfChain}));
    put(image, 108, blankVolume({10, 27, 2, 512}, 540));

    const AmigaHardDisk disk{ImageBytes(image)};
    ASSERT_EQ(disk.partitions.size(), 6u);
    for (size_t index = 0; index < 6; ++index) {
        EXPECT_EQ(disk.partitions[index].associatedVolume() != nullptr, index < 4) << index;
    }
}

// Disks refused as a whole, with the error saying why; detection then goes
// on to the other formats.
struct RefusalCase {
    const char* name;
    std::function<Bytes()> image;
    ADFDiskError::Case error;
};

std::ostream& operator<<(std::ostream& out, const RefusalCase& c) { return out << c.name; }

class RefusedDisks : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedDisks, WithTheirError) {
    const Bytes image = GetParam().image();
    testing::expectError<ADFDiskError>(GetParam().error, [&] { AmigaHardDisk{ImageBytes(image)}; });
    EXPECT_FALSE(AmigaHardDisk::fromImageData(ImageBytes(image)).has_value());
}

// The image of the usual drive with the Rigid Disk Block of `drive`, whose
// geometry need not describe it.
Bytes withDrive(const Drive& drive) {
    Bytes image = driveImage(Drive{});
    put(image, 0, rigidDiskBlock(drive));
    return image;
}

Bytes withPartition(Environment environment) {
    Drive drive{.partitionList = 1};
    Bytes image = driveImage(drive);
    put(image, 1, partitionBlock(environment));
    return image;
}

INSTANTIATE_TEST_SUITE_P(
    Crafted, RefusedDisks,
    ::testing::Values(
        RefusalCase{"Empty", [] { return Bytes{}; }, ADFDiskError::Case::noRigidDiskBlockInHardDrive},
        RefusalCase{"NoSignature", [] { return Bytes(4096, 0); }, ADFDiskError::Case::noRigidDiskBlockInHardDrive},
        RefusalCase{"BlockSizeZero", [] { return withDrive({.blockBytes = 0}); },
                    ADFDiskError::Case::invalidGeometryInHardDrive},
        RefusalCase{"BlockSizeBelow512", [] { return withDrive({.blockBytes = 256}); },
                    ADFDiskError::Case::invalidGeometryInHardDrive},
        RefusalCase{"BlockSizeNotAMultipleOf512", [] { return withDrive({.blockBytes = 1000}); },
                    ADFDiskError::Case::invalidGeometryInHardDrive},
        RefusalCase{"DriveGeometryOverflows",
                    [] { return withDrive({.cylinders = 0xFFFFFFFF, .sectors = 0xFFFFFFFF, .heads = 0xFFFFFFFF}); },
                    ADFDiskError::Case::invalidGeometryInHardDrive},
        RefusalCase{
            "PartitionStartOverflows",
            [] {
                return withPartition(
                    {.surfaces = 0xFFFFFFFF, .blocksPerTrack = 0xFFFFFFFF, .lowCyl = 0xFFFFFFFE, .hiCyl = 0xFFFFFFFF});
            },
            ADFDiskError::Case::invalidGeometryInHardDrive},
        RefusalCase{"PartitionBytesOverflow",
                    [] {
                        return withPartition(
                            {.surfaces = 0xFFFFFFFF, .blocksPerTrack = 0xFFFFFFFF, .lowCyl = 0, .hiCyl = 0xFFFFFFFF});
                    },
                    ADFDiskError::Case::invalidGeometryInHardDrive}),
    [](const auto& info) { return std::string(info.param.name); });

// A pointer outside the image refuses the whole disk.
struct OutsideCase {
    const char* name;
    std::function<Bytes()> image;
};

std::ostream& operator<<(std::ostream& out, const OutsideCase& c) { return out << c.name; }

class PointersOutsideTheImage : public ::testing::TestWithParam<OutsideCase> {};

TEST_P(PointersOutsideTheImage, RefuseTheDisk) {
    const Bytes image = GetParam().image();
    testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                       [&] { AmigaHardDisk{ImageBytes(image)}; });
    EXPECT_FALSE(AmigaHardDisk::fromImageData(ImageBytes(image)).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Crafted, PointersOutsideTheImage,
    ::testing::Values(OutsideCase{"FirstPartition", [] { return withDrive({.partitionList = 2160}); }},
                      OutsideCase{"NegativePartition", [] { return withDrive({.partitionList = 0xFFFFFFFE}); }},
                      OutsideCase{"SecondPartition", [] { return withPartition({.next = 1000000}); }},
                      OutsideCase{"FileSystemHeader", [] { return withDrive({.fileSysHeaderList = 5000}); }},
                      OutsideCase{"LoadSegment",
                                  [] {
                                      Bytes image = withDrive({.fileSysHeaderList = 3});
                                      put(image, 3, fileSystemHeader(endOfChain, 1, 99999));
                                      return image;
                                  }},
                      OutsideCase{"RigidDiskBlockCutShort",
                                  [] {
                                      const Bytes block = rigidDiskBlock(Drive{});
                                      return Bytes(block.begin(), block.begin() + 100);
                                  }},
                      OutsideCase{"BlockLargerThanTheImage",
                                  [] {
                                      Bytes image(2048, 0);
                                      put(image, 0, rigidDiskBlock({.blockBytes = 4096}));
                                      return image;
                                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AmigaHardDisk, ARefusedDiskLeavesDetectionToTheOtherFormats) {
    const Bytes image = withDrive({.blockBytes = 0});
    testing::expectError<ImageParserError>(ImageParserError::Case::unknownVolumeType,
                                           [&] { ImageParser{ImageBytes(image)}; });
}

}  // namespace
}  // namespace zorv
