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
#include "support/TestCaseNames.hpp"

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
};

// A block of `longs` after its four-letter identifier, padded to 512 bytes.
Bytes block(const char* identifier, std::initializer_list<int64_t> longs) {
    ByteBuilder builder;
    builder.text(identifier);
    for (const int64_t value : longs) builder.u32(value);
    builder.zeros(512 - builder.size());
    return builder;
}

Bytes rigidDiskBlock(const Drive& drive) {
    // Size in longs, checksum (never checked), host, block size, flags, bad
    // blocks, partitions, file systems, drive init, 6 reserved, then the
    // physical geometry.
    return block("RDSK", {64, 0, 7, drive.blockBytes, 0x17, endOfChain, drive.partitionList, drive.fileSysHeaderList,
                          endOfChain, 0, 0, 0, 0, 0, 0, drive.cylinders, drive.sectors, drive.heads});
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
};

Bytes partitionBlock(const Environment& e) {
    Bytes bytes = block("PART", {64, 0, 7, e.next, 1, 0, 0, 0});
    // The drive name, then from offset 128 the DOS environment: vector size,
    // block size in longs, sector origin, surfaces, sectors per block, blocks
    // per track, reserved, prealloc, interleave, cylinders, buffers, memory
    // type, transfer, mask, boot priority and "DOS\0".
    const Bytes name = ByteBuilder().pascal(e.name, 32);
    const Bytes environment = ByteBuilder()
                                      .u32(16).u32(128).u32(0).u32(e.surfaces).u32(1).u32(e.blocksPerTrack)
                                      .u32(e.reservedBlocks).u32(0).u32(0).u32(e.lowCyl).u32(e.hiCyl).u32(30)
                                      .u32(0).u32(0xFFFFFF).u32(0x7FFFFFFE).u32(0).text("DOS").u8(0);
    std::copy(name.begin(), name.end(), bytes.begin() + 36);
    std::copy(environment.begin(), environment.end(), bytes.begin() + 128);
    return bytes;
}

Bytes fileSystemHeader(int64_t next, int flavour, int64_t segListBlock) {
    // Then flags, 2 reserved, "DOS" and the flavour, version 45.0, patch
    // flags and the environment up to the segment list and global vector.
    return block("FSHD", {64, 0, 7, next, 0, 0, 0, 0x444F5300 | flavour, 0x002D0000, 0, 0, 0, 0, 0, 0, 0, 0,
                          segListBlock, endOfChain});
}

// A load segment whose 492 bytes of code are all `fill`.
Bytes loadSegment(int64_t next, uint8_t fill) {
    ByteBuilder builder;
    builder.text("LSEG").u32(128).u32(0).u32(7).u32(next);
    for (int index = 0; index < 492; ++index) builder.u8(fill);
    return builder;
}

void put(Bytes& image, int64_t block, const Bytes& bytes) {
    std::copy(bytes.begin(), bytes.end(), image.begin() + block * 512);
}

// The usual drive's image, zero-filled, with the Rigid Disk Block of `drive`
// at block 0 (whose geometry need not describe the image).
Bytes withDrive(const Drive& drive) {
    Bytes image(static_cast<size_t>(Drive{}.cylinders * Drive{}.sectors * Drive{}.heads * 512), 0);
    put(image, 0, rigidDiskBlock(drive));
    return image;
}

// The usual drive with partition blocks from block 1 on, each naming the next.
Bytes withPartitions(std::vector<Environment> environments) {
    Bytes image = withDrive({.partitionList = 1});
    for (size_t index = 0; index < environments.size(); ++index) {
        if (index + 1 < environments.size()) environments[index].next = static_cast<int64_t>(index) + 2;
        put(image, static_cast<int64_t>(index) + 1, partitionBlock(environments[index]));
    }
    return image;
}

// The first `blocks` blocks of a new blank Amiga DOS volume ("Empty").
Bytes blankVolume(const ADFDiskGeometry& geometry, int64_t blocks) {
    const ImageBytes whole = ADFDisk::blankDisk(geometry, false).structureData;
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
    Bytes image = withPartitions({c.environment});
    put(image, c.start, blankVolume(c.volumeGeometry, c.length));

    const AmigaHardDisk disk{ImageBytes(image)};
    ASSERT_EQ(disk.partitions.size(), 1u);
    const ADFDiskPartition& partition = disk.partitions[0];
    EXPECT_EQ(partition.startPhysicalBlock(), c.start);
    EXPECT_EQ(partition.sizeInPhysicalBlocks(), c.length);
    const auto volume = std::dynamic_pointer_cast<const ADFDisk>(partition.associatedVolume());
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->volumeName(), "Empty");
    EXPECT_EQ(volume->trackCount(), c.environment.hiCyl - c.environment.lowCyl + 1);
    EXPECT_EQ(volume->sizeInBytes(), c.length * 512);
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
                   {.surfaces = 1, .blocksPerTrack = 63, .reservedBlocks = 12, .lowCyl = 10, .hiCyl = 19},
                   {10, 64, 1, 512}, 630, 630},
        // 0 reserved blocks count as 2: the root of 549 blocks is at 275, one
        // after both (0 + 548) div 2 and 549 div 2.
        LayoutCase{"NoReservedBlocks",
                   {.surfaces = 1, .blocksPerTrack = 61, .reservedBlocks = 0, .lowCyl = 20, .hiCyl = 28},
                   {9, 61, 1, 512}, 1220, 549}),
    testing::namedBy(&LayoutCase::name));

// --- File systems on the drive ---

TEST(AmigaHardDisk, FileSystemsWithTheirLoadSegmentsInChainOrder) {
    Bytes image = withDrive({.fileSysHeaderList = 3});
    put(image, 3, fileSystemHeader(7, 1, 5));
    put(image, 5, loadSegment(4, 0xA1));
    put(image, 4, loadSegment(6, 0xA2));
    put(image, 6, loadSegment(endOfChain, 0xA3));
    put(image, 7, fileSystemHeader(endOfChain, 3, endOfChain));

    const AmigaHardDisk disk{ImageBytes(image)};
    ASSERT_EQ(disk.fileSystemHeaders.size(), 2u);
    EXPECT_EQ(disk.fileSystemHeaders[0].dosType, 1);
    Bytes expected(492, 0xA1);
    expected.insert(expected.end(), 492, 0xA2);
    expected.insert(expected.end(), 492, 0xA3);
    EXPECT_EQ(disk.fileSystemHeaders[0].lseg, expected);
    EXPECT_EQ(disk.fileSystemHeaders[1].dosType, 3);
    EXPECT_TRUE(disk.fileSystemHeaders[1].lseg.empty());
}

// The probe wants "RDSK" at the start; the reader itself looks further.
TEST(AmigaHardDisk, ARigidDiskBlockAfterTheFirstBlock) {
    Bytes image = withDrive({});
    image.insert(image.begin(), 512, 0);
    EXPECT_FALSE(AmigaHardDisk::fromImageData(ImageBytes(image)).has_value());
    EXPECT_EQ(AmigaHardDisk{ImageBytes(image)}.rigidDiskBlockBlockLocation, 1);
}

// --- Damaged disks ---

// What a damaged disk gives: an error that refuses it (detection then goes
// on to the other formats), or a report with what was read.
using Outcome = std::function<void(const Bytes&)>;

template <typename Error>
Outcome refusedWith(typename Error::Case expected) {
    return [expected](const Bytes& image) {
        testing::expectError<Error>(expected, [&] { AmigaHardDisk{ImageBytes(image)}; });
        EXPECT_FALSE(AmigaHardDisk::fromImageData(ImageBytes(image)).has_value());
    };
}

// Reported with partitions of these lengths in blocks, those marked in
// `volumes` ('v') with a volume, and file systems of these load data sizes.
Outcome reported(std::vector<int64_t> lengths, std::string volumes, std::vector<size_t> lsegSizes) {
    return [=](const Bytes& image) {
        const AmigaHardDisk disk{ImageBytes(image)};
        std::vector<int64_t> foundLengths;
        std::string foundVolumes;
        for (const auto& partition : disk.partitions) {
            foundLengths.push_back(partition.sizeInPhysicalBlocks());
            foundVolumes += partition.associatedVolume() ? 'v' : '-';
        }
        EXPECT_EQ(foundLengths, lengths);
        EXPECT_EQ(foundVolumes, volumes);
        std::vector<size_t> foundSizes;
        for (const auto& header : disk.fileSystemHeaders) foundSizes.push_back(header.lseg.size());
        EXPECT_EQ(foundSizes, lsegSizes);
        const ImageParser parser{ImageBytes(image)};
        EXPECT_EQ(parser.imageFormat(), ImageFormat::amigaHardDisk);
        EXPECT_FALSE(parser.textualDescription(true).empty());
    };
}

struct DamagedCase {
    const char* name;
    std::function<Bytes()> image;
    Outcome outcome;
};

std::ostream& operator<<(std::ostream& out, const DamagedCase& c) { return out << c.name; }

class DamagedHardDisks : public ::testing::TestWithParam<DamagedCase> {};

// A chain that comes back to a block already read ends there, keeping what
// it read; a geometry that cannot describe the disk, and a pointer outside
// the image, refuse it.
TEST_P(DamagedHardDisks, EndAtOnceWithAReportOrAClearError) {
    const Bytes image = GetParam().image();
    const auto started = std::chrono::steady_clock::now();
    GetParam().outcome(image);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

const auto noRigidDiskBlock = refusedWith<ADFDiskError>(ADFDiskError::Case::noRigidDiskBlockInHardDrive);
const auto invalidGeometry = refusedWith<ADFDiskError>(ADFDiskError::Case::invalidGeometryInHardDrive);
const auto unreacheable =
        refusedWith<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock);

// The usual drive with blocks from block 3 on, where its file systems start.
Bytes fileSystemsAt3(const std::vector<Bytes>& blocks) {
    Bytes image = withDrive({.fileSysHeaderList = 3});
    for (size_t index = 0; index < blocks.size(); ++index) put(image, static_cast<int64_t>(index) + 3, blocks[index]);
    return image;
}

constexpr int64_t huge = 0xFFFFFFFF;

Bytes cut(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

// Overlapping partitions all claim the same blocks: volumes are opened for
// no more blocks than the image holds (2,160, four times 540). Two file
// systems sharing one segment chain: the second one ends at once, so the load
// data never outgrows the image.
INSTANTIATE_TEST_SUITE_P(
    Crafted, DamagedHardDisks,
    ::testing::Values(
        DamagedCase{"PartitionsInACircle",
                    [] {
                        return withPartitions({{}, {.lowCyl = 12, .hiCyl = 21}, {.next = 1, .lowCyl = 22, .hiCyl = 31}});
                    },
                    reported({540, 540, 540}, "---", {})},
        DamagedCase{"HighCylinderBelowLow", [] { return withPartitions({{.lowCyl = 9, .hiCyl = 4}}); },
                    reported({0}, "-", {})},
        DamagedCase{"PartitionPastTheEnd", [] { return withPartitions({{.lowCyl = 30, .hiCyl = 45}}); },
                    reported({864}, "-", {})},
        DamagedCase{"OverlappingPartitions",
                    [] {
                        Bytes image = withPartitions(std::vector<Environment>(6));
                        put(image, 108, blankVolume({10, 27, 2, 512}, 540));
                        return image;
                    },
                    reported(std::vector<int64_t>(6, 540), "vvvv--", {})},
        DamagedCase{"LoadSegmentsInACircle",
                    [] {
                        return fileSystemsAt3(
                            {fileSystemHeader(endOfChain, 1, 4), loadSegment(5, 1), loadSegment(4, 2)});
                    },
                    reported({}, "", {984})},
        DamagedCase{"HeadersSharingSegments",
                    [] {
                        return fileSystemsAt3(
                            {fileSystemHeader(4, 1, 5), fileSystemHeader(endOfChain, 1, 5), loadSegment(endOfChain, 1)});
                    },
                    reported({}, "", {492, 0})},
        DamagedCase{"PartitionChainIntoTheFileSystems",
                    [] {
                        Bytes image = fileSystemsAt3({fileSystemHeader(endOfChain, 1, endOfChain)});
                        put(image, 0, rigidDiskBlock({.partitionList = 1, .fileSysHeaderList = 3}));
                        put(image, 1, partitionBlock({.next = 3}));
                        return image;
                    },
                    reported({540, 54}, "--", {})},
        DamagedCase{"Empty", [] { return Bytes{}; }, noRigidDiskBlock},
        DamagedCase{"NoSignature", [] { return Bytes(4096, 0); }, noRigidDiskBlock},
        DamagedCase{"BlockSizeZero", [] { return withDrive({.blockBytes = 0}); }, invalidGeometry},
        DamagedCase{"BlockSizeBelow512", [] { return withDrive({.blockBytes = 256}); }, invalidGeometry},
        DamagedCase{"BlockSizeNotAMultipleOf512", [] { return withDrive({.blockBytes = 1000}); }, invalidGeometry},
        DamagedCase{"DriveGeometryOverflows",
                    [] { return withDrive({.cylinders = 0xFFFFFFFF, .sectors = 0xFFFFFFFF, .heads = 0xFFFFFFFF}); },
                    invalidGeometry},
        DamagedCase{"PartitionStartOverflows",
                    [] {
                        return withPartitions(
                            {{.surfaces = huge, .blocksPerTrack = huge, .lowCyl = huge - 1, .hiCyl = huge}});
                    },
                    invalidGeometry},
        DamagedCase{"PartitionBytesOverflow",
                    [] {
                        return withPartitions({{.surfaces = huge, .blocksPerTrack = huge, .lowCyl = 0, .hiCyl = huge}});
                    },
                    invalidGeometry},
        DamagedCase{"FirstPartitionOutside", [] { return withDrive({.partitionList = 2160}); }, unreacheable},
        DamagedCase{"NegativePartition", [] { return withDrive({.partitionList = huge - 1}); }, unreacheable},
        DamagedCase{"SecondPartitionOutside", [] { return withPartitions({{.next = 1000000}}); }, unreacheable},
        DamagedCase{"FileSystemHeaderOutside", [] { return withDrive({.fileSysHeaderList = 5000}); }, unreacheable},
        DamagedCase{"LoadSegmentOutside", [] { return fileSystemsAt3({fileSystemHeader(endOfChain, 1, 99999)}); },
                    unreacheable},
        DamagedCase{"RigidDiskBlockCutShort", [] { return cut(rigidDiskBlock({}), 100); }, unreacheable},
        DamagedCase{"BlockLargerThanTheImage", [] { return cut(rigidDiskBlock({.blockBytes = 4096}), 2048); },
                    unreacheable}),
    testing::namedBy(&DamagedCase::name));

TEST(AmigaHardDisk, ARefusedDiskLeavesDetectionToTheOtherFormats) {
    const Bytes image = withDrive({.blockBytes = 0});
    testing::expectError<ImageParserError>(ImageParserError::Case::unknownVolumeType,
                                           [&] { ImageParser{ImageBytes(image)}; });
}

}  // namespace
}  // namespace zorv
