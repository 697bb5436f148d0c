// The Amiga records on their own: geometry and root block position, dates,
// checksums, boot block, bitmap and the root block of a new volume.

#include <gtest/gtest.h>

#include "ADFTestImages.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/amiga/AmigaChecksum.hpp"
#include "disk_image/formats/amiga/AmigaDateComponents.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmap.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmapBlockError.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBootBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskGeometry.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskRootBlock.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/ScopedTimeZone.hpp"

namespace zorv {
namespace {

using testing::longAt;

// --- Geometry and root block ---

struct GeometryCase {
    int64_t sizeInBytes;
    std::optional<ADFDiskGeometry> given;
    ADFDiskGeometry expected;
    std::vector<int64_t> rootCandidates;
};

std::ostream& operator<<(std::ostream& out, const GeometryCase& c) { return out << c.sizeInBytes << " bytes"; }

class ADFGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(ADFGeometry, ChosenFromSizeWithItsRootBlock) {
    const GeometryCase& c = GetParam();
    const ADFDiskGeometry geometry = ADFDiskGeometry::forImage(c.sizeInBytes, c.given);
    EXPECT_EQ(geometry, c.expected);
    EXPECT_EQ(geometry.rootBlockCandidates(), c.rootCandidates);
    EXPECT_EQ(geometry.rootBlock(), c.rootCandidates.front());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ADFGeometry,
    ::testing::Values(
        GeometryCase{901120, std::nullopt, ADFDiskGeometry::DDFloppy, {880}},
        // A floppy size wins over a geometry given.
        GeometryCase{901120, ADFDiskGeometry{10, 32, 1, 512}, ADFDiskGeometry::DDFloppy, {880}},
        // AmigaDOS keeps a high-density floppy's root in its middle.
        GeometryCase{1802240, std::nullopt, ADFDiskGeometry::HDFloppy, {1760, 880}},
        GeometryCase{10 * 1024 * 1024, std::nullopt, ADFDiskGeometry{640, 32, 1, 512}, {10240}},
        GeometryCase{450560, std::nullopt, ADFDiskGeometry{27, 32, 1, 512}, {432}},
        GeometryCase{1000000, std::nullopt, ADFDiskGeometry{61, 32, 1, 512}, {976}},
        // An odd block count: (2 + T - 1) div 2, then T div 2.
        GeometryCase{4096, ADFDiskGeometry{1, 7, 1, 512}, ADFDiskGeometry{1, 7, 1, 512}, {4, 3}}));

TEST(ADFGeometry, PartitionRootFollowsItsReservedBlocks) {
    // A partition of 2 surfaces, 32 blocks a track, 100 cylinders, with 4
    // reserved blocks: (4 + 6,400 - 1) div 2.
    const ADFDiskGeometry partition{100, 32, 2, 512};
    EXPECT_EQ(partition.rootBlock(4), 3201);
    EXPECT_EQ(ADFDiskGeometry::rootBlockNumber(6400, 4), 3201);
    EXPECT_EQ(partition.rootBlockCandidates(4), (std::vector<int64_t>{3201, 3200}));
}

// --- Dates ---

struct DateCase {
    AmigaDateComponents stored;
    int64_t secondsSince1970;  // in UTC
};

std::ostream& operator<<(std::ostream& out, const DateCase& c) {
    return out << c.stored.days << "/" << c.stored.minutes << "/" << c.stored.ticks;
}

class AmigaDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(AmigaDates, CountFromTheEpochWithoutClamping) {
    const testing::ScopedTimeZone zone("UTC");
    EXPECT_EQ(GetParam().stored.date().secondsSince1970, GetParam().secondsSince1970);
}

constexpr int64_t epoch1978 = 252460800;

INSTANTIATE_TEST_SUITE_P(Fields, AmigaDates,
                         ::testing::Values(DateCase{{0, 0, 0}, epoch1978}, DateCase{{1, 0, 50}, epoch1978 + 86401},
                                           DateCase{{0, 1440, 0}, epoch1978 + 86400},
                                           DateCase{{0, 0, 3000}, epoch1978 + 60},
                                           DateCase{{7554, 935, 1600}, 905182532}));

TEST(AmigaDates, LocalEpochAndRoundTrip) {
    const testing::ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(AmigaDateComponents{}.date().secondsSince1970, epoch1978 - 3600);
    // A summer date: calendar days, then minutes of the local day.
    const AmigaDateComponents summer{7554, 935, 1600};
    EXPECT_EQ(AmigaDateComponents::fromDate(summer.date()), summer);
}

// --- Checksums and boot block ---

TEST(AmigaChecksum, SumsAndNegatesLongs) {
    Bytes block(512, 0);
    EXPECT_EQ(AmigaChecksum::calculatedChecksumValue(block), 0u);
    block[3] = 1;
    EXPECT_EQ(AmigaChecksum::calculatedChecksumValue(block), 1u);
    EXPECT_EQ(AmigaChecksum::blockChecksum(block), 4294967295u);
}

TEST(ADFDiskBootBlock, ChecksumOfARealBootBlock) {
    const auto image = testing::corpusImage("adf/arccsh.adf");
    if (!image) GTEST_SKIP() << "adf/arccsh.adf is not in the corpus";
    Bytes boot(image->begin(), image->begin() + 1024);
    const uint32_t stored = longAt(boot, 4);
    EXPECT_EQ(stored, 0xE33D0E73u);
    testing::putLong(boot, 4, 0);
    EXPECT_EQ(AmigaChecksum::bootBlockChecksum(boot), stored);
}

struct FlagsCase {
    uint8_t flags;
    ADFDiskBootBlock::ADFFileSystemMode fileSystem;
};

std::ostream& operator<<(std::ostream& out, const FlagsCase& c) { return out << "flags " << int{c.flags}; }

class ADFBootBlockFlags : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(ADFBootBlockFlags, NameTheFileSystem) {
    Bytes block(1024, 0);
    block[0] = 'D', block[1] = 'O', block[2] = 'S', block[3] = GetParam().flags;
    block[4] = 0x12;  // a wrong checksum is not an error
    EXPECT_EQ(ADFDiskBootBlock(ImageBytes(block)).fileSystem(), GetParam().fileSystem);
}

using Mode = ADFDiskBootBlock::ADFFileSystemMode;
INSTANTIATE_TEST_SUITE_P(Flags, ADFBootBlockFlags,
                         ::testing::Values(FlagsCase{0, Mode::OFS}, FlagsCase{1, Mode::FFS}, FlagsCase{2, Mode::OFS},
                                           FlagsCase{3, Mode::FFS}, FlagsCase{5, Mode::FFS}, FlagsCase{7, Mode::OFS}));

TEST(ADFDiskBootBlock, WithoutSignatureIsRefused) {
    Bytes block(1024, 0);
    block[0] = 'K';
    testing::expectError<ADFDiskError>(ADFDiskError::Case::invalidBootBlock,
                                       [&] { ADFDiskBootBlock{ImageBytes(block)}; });
}

TEST(ADFDiskBootBlock, BootableBlockAddsUpToAllOnes) {
    const Bytes bytes = ADFDiskBootBlock::blankBootBlock(true, 880).dataBlock();
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{'D', 'O', 'S', 0}));
    EXPECT_EQ(longAt(bytes, 8), 880u);
    // The end-around sum of every long, checksum included, has all bits set.
    Bytes withoutChecksum = bytes;
    testing::putLong(withoutChecksum, 4, 0);
    EXPECT_EQ(AmigaChecksum::bootBlockChecksum(withoutChecksum), longAt(bytes, 4));
    EXPECT_EQ(~AmigaChecksum::bootBlockChecksum(bytes), 0xFFFFFFFFu);
}

TEST(ADFDiskBootBlock, NonBootableBlockIsSignatureAndZeros) {
    Bytes expected(1024, 0);
    expected[0] = 'D', expected[1] = 'O', expected[2] = 'S';
    EXPECT_EQ(ADFDiskBootBlock::blankBootBlock(false, 880).dataBlock(), expected);
}

// --- Bitmap ---

uint32_t sumOf(const Bytes& block) { return AmigaChecksum::calculatedChecksumValue(block); }

TEST(ADFDiskBitmap, DoubleDensityFloppy) {
    const ADFDiskBitmap bitmap(ADFDiskGeometry::DDFloppy);
    ASSERT_EQ(bitmap.bitmapBlocks.size(), 1u);
    const ADFDiskBitmapBlock& block = bitmap.bitmapBlocks.at(881);
    for (size_t group = 0; group < 127; ++group) {
        const uint32_t expected = group == 27 ? 0xFFFF3FFF : group < 55 ? 0xFFFFFFFF : 0;
        EXPECT_EQ(block.blockFlagGroups[group], expected) << "group " << group;
    }
    EXPECT_EQ(sumOf(block.dataBlock()), 0u);
    EXPECT_EQ(bitmap.firstExtension(), 0);
}

TEST(ADFDiskBitmap, HighDensityFloppyKeepsItsBitmapAfterTheMiddle) {
    const ADFDiskBitmap bitmap(ADFDiskGeometry::HDFloppy);
    ASSERT_EQ(bitmap.bitmapBlocks.size(), 1u);
    const ADFDiskBitmapBlock& block = bitmap.bitmapBlocks.at(1761);
    EXPECT_FALSE(bitmap.isFree(1760));
    EXPECT_FALSE(bitmap.isFree(1761));
    EXPECT_TRUE(bitmap.isFree(880));
    EXPECT_EQ(block.blockFlagGroups[109], 0xFFFFFFFF);
    EXPECT_EQ(block.blockFlagGroups[110], 0u);
}

TEST(ADFDiskBitmap, HardfileOfSixBitmapBlocks) {
    const ADFDiskBitmap bitmap(ADFDiskGeometry{640, 32, 1, 512});
    std::vector<int64_t> keys;
    for (const auto& [key, block] : bitmap.bitmapBlocks) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<int64_t>{10241, 10242, 10243, 10244, 10245, 10246}));
    EXPECT_EQ(bitmap.bitmapBlocks.at(10246).blockFlagGroups[4], 0xFFFFFFFF);
    EXPECT_EQ(bitmap.bitmapBlocks.at(10246).blockFlagGroups[5], 0u);
    for (int64_t block = 10240; block <= 10246; ++block) EXPECT_FALSE(bitmap.isFree(block)) << block;
    EXPECT_TRUE(bitmap.isFree(10247));
    const auto groups = bitmap.bitmapLocationGroups();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0][5], 10246);
    EXPECT_EQ(groups[0][6], 0);
}

// Above 25 bitmap blocks (101,600 blocks), extension blocks list the rest;
// every bitmap and extension block is in use, so AmigaDOS never allocates
// over them.
TEST(ADFDiskBitmap, ExtensionBlocksAreWrittenAndInUse) {
    const ADFDiskGeometry geometry{20000, 32, 1, 512};  // 640,000 blocks: 158 bitmap blocks
    const ADFDiskBitmap bitmap(geometry);
    EXPECT_EQ(bitmap.bitmapBlocks.size(), 158u);
    ASSERT_EQ(bitmap.extensionBlocks.size(), 2u);
    for (const auto& [key, block] : bitmap.bitmapBlocks) {
        EXPECT_FALSE(bitmap.isFree(key)) << "bitmap block " << key;
        EXPECT_EQ(sumOf(block.dataBlock()), 0u);
    }
    for (const auto& [key, listed] : bitmap.extensionBlocks) EXPECT_FALSE(bitmap.isFree(key)) << "extension " << key;
    EXPECT_FALSE(bitmap.isFree(geometry.rootBlock()));
    EXPECT_TRUE(bitmap.isFree(geometry.rootBlock() + 161));

    const auto groups = bitmap.bitmapLocationGroups();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[1].size(), 127u);
    EXPECT_EQ(groups[2].size(), 6u);
    // Each extension block follows the bitmap blocks it lists and names the
    // next one in its last long.
    const auto written = bitmap.extensionBlockData();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].first, groups[1].back() + 1);
    EXPECT_EQ(bitmap.firstExtension(), written[0].first);
    EXPECT_EQ(longAt(written[0].second, 0), groups[1].front());
    EXPECT_EQ(longAt(written[0].second, 508), written[1].first);
    EXPECT_EQ(longAt(written[1].second, 5 * 4), groups[2].back());
    EXPECT_EQ(longAt(written[1].second, 6 * 4), 0u);
    EXPECT_EQ(longAt(written[1].second, 508), 0u);
}

TEST(ADFDiskBitmap, GeometryTooSmallIsRefused) {
    for (const ADFDiskGeometry& geometry : {ADFDiskGeometry{1, 1, 1, 512}, ADFDiskGeometry{0, 11, 2, 512},
                                            ADFDiskGeometry{1, 3, 1, 512}}) {
        testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                           [&] { ADFDiskBitmap{geometry}; });
    }
}

TEST(ADFDiskBitmapBlock, FreeFlagsUpToOneBlock) {
    const ADFDiskBitmapBlock full(4064);
    EXPECT_EQ(full.checksum, 127);
    EXPECT_EQ(full.blockFlagGroups[126], 0xFFFFFFFF);
    EXPECT_EQ(ADFDiskBitmapBlock(880).blockFlagGroups[27], 0x0000FFFFu);
    EXPECT_EQ(ADFDiskBitmapBlock(880).blockFlagGroups[28], 0u);
    testing::expectError<ADFDiskBitmapBlockError>(ADFDiskBitmapBlockError::Case::tooManyFreeBlockFlagsToAssign,
                                                  [] { ADFDiskBitmapBlock{4065}; });
}

// --- Root block ---

TEST(ADFDiskRootBlock, NewRootBlockOfAFloppy) {
    const ADFDiskRootBlock root("Empty", ADFDiskBitmap(ADFDiskGeometry::DDFloppy));
    const Bytes bytes = root.dataBlock();
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(longAt(bytes, 0), 2u);
    EXPECT_EQ(longAt(bytes, 12), 72u);
    EXPECT_EQ(longAt(bytes, 312), 0xFFFFFFFFu);
    EXPECT_EQ(longAt(bytes, 316), 881u);
    EXPECT_EQ(longAt(bytes, 320), 0u);
    EXPECT_EQ(longAt(bytes, 416), 0u);
    EXPECT_EQ(bytes[432], 5);
    EXPECT_EQ(std::string(bytes.begin() + 433, bytes.begin() + 438), "Empty");
    EXPECT_EQ(longAt(bytes, 508), 1u);
    EXPECT_EQ(sumOf(bytes), 0u);
    const ADFDiskRootBlock read{ImageBytes(bytes)};
    EXPECT_EQ(read.diskName, "Empty");
    EXPECT_EQ(read.volumeDate, read.creationDate);
    EXPECT_EQ(read.rootDate, read.creationDate);
}

TEST(ADFDiskRootBlock, NameLengthPastTheBlockIsCutAtItsEnd) {
    Bytes bytes = ADFDiskRootBlock("Empty", ADFDiskBitmap(ADFDiskGeometry::DDFloppy)).dataBlock();
    bytes[432] = 255;
    const ADFDiskRootBlock read{ImageBytes(bytes)};
    // Offsets 433 to 511: 79 characters.
    EXPECT_EQ(characterCount(read.diskName), 79u);
    EXPECT_EQ(read.secType, ADFSecondaryType::ST_ROOT);
}

}  // namespace
}  // namespace zorv
