// The ProDOS block layer: sector order, block reads, the formatter and the
// volume bitmap of new volumes.

#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSBoostrap.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSBootSignature.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDiskError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeBitmap.hpp"
#include "ProDOSImageBuilder.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ProDOSImageBuilder;

// A 140K image whose every 256-byte stretch starts with its own number and
// holds no volume directory header where ProDOS order would keep one.
Bytes numberedSectors(size_t bytes = 143360) {
    Bytes image(bytes, 0);
    for (size_t sector = 0; sector < bytes / 256; ++sector) {
        image[sector * 256] = static_cast<uint8_t>(sector & 0xFF);
        image[sector * 256 + 1] = static_cast<uint8_t>(sector >> 8);
    }
    return image;
}

// The DOS sector (track * 16 + logical sector) a 256-byte half came from.
int sectorOf(const ImageBytes& half, size_t at) { return half[at] | half[at + 1] << 8; }

TEST(ProDOSDiskTest, NeedsThreeBlocks) {
    EXPECT_THROW(ProDOSDisk(ImageBytes(Bytes(1535, 0))), BlockStructureDefinableError);
    const ProDOSDisk smallest{ImageBytes(Bytes(1536, 0))};
    EXPECT_FALSE(smallest.proDOSOrder);  // block 2 holds no header

    ProDOSImageBuilder volume(3);
    const ProDOSDisk withHeader{ImageBytes(volume.image)};
    EXPECT_TRUE(withHeader.proDOSOrder);
}

TEST(ProDOSDiskTest, OrderFollowsTheHeaderOfBlockTwo) {
    ProDOSImageBuilder volume;
    EXPECT_TRUE(ProDOSDisk(ImageBytes(volume.image)).proDOSOrder);
    EXPECT_FALSE(ProDOSDisk(ImageBytes(volume.dosOrdered())).proDOSOrder);

    volume.headerByte(0) = 0xE4;  // a subdirectory header's nibble
    EXPECT_FALSE(ProDOSDisk(ImageBytes(volume.image)).proDOSOrder);
    volume.headerByte(0) = 0x64;  // a nibble naming no storage type
    EXPECT_FALSE(ProDOSDisk(ImageBytes(volume.image)).proDOSOrder);

    ProDOSImageBuilder highBit;
    highBit.headerByte(14) = 0xC1;  // in the name field's tail, past the name
    EXPECT_FALSE(ProDOSDisk(ImageBytes(highBit.image)).proDOSOrder);
}

struct DOSBlockCase {
    int64_t block;
    int firstSector;   // track * 16 + DOS logical sector of each half
    int secondSector;
};

class ProDOSDiskDOSOrderTest : public ::testing::TestWithParam<DOSBlockCase> {};

TEST_P(ProDOSDiskDOSOrderTest, BlockHalvesComeFromTheirSectors) {
    const ProDOSDisk disk{ImageBytes(numberedSectors())};
    ASSERT_FALSE(disk.proDOSOrder);
    const ImageBytes block = disk.getProDOSBlock(GetParam().block);
    ASSERT_EQ(block.size(), 512u);
    EXPECT_EQ(sectorOf(block, 0), GetParam().firstSector);
    EXPECT_EQ(sectorOf(block, 256), GetParam().secondSector);
}

INSTANTIATE_TEST_SUITE_P(ProDOSDisk, ProDOSDiskDOSOrderTest,
                         ::testing::Values(DOSBlockCase{0, 0, 14}, DOSBlockCase{1, 13, 12},
                                           // Bytes 0xB00 then 0xA00 of track 0.
                                           DOSBlockCase{2, 11, 10}, DOSBlockCase{3, 9, 8}, DOSBlockCase{4, 7, 6},
                                           DOSBlockCase{5, 5, 4}, DOSBlockCase{6, 3, 2}, DOSBlockCase{7, 1, 15},
                                           // Bytes 4,096 then 7,680: sectors 0 and 14 of track 1.
                                           DOSBlockCase{8, 16, 30},
                                           // The last block of a 35-track disk.
                                           DOSBlockCase{279, 34 * 16 + 1, 34 * 16 + 15}),
                         testing::namedBy([](const DOSBlockCase& c) { return "block " + std::to_string(c.block); }));

TEST(ProDOSDiskTest, BlocksBeyondTheImageAreEmpty) {
    const ProDOSDisk proDOS{ImageBytes(ProDOSImageBuilder(280).image)};
    EXPECT_EQ(proDOS.getProDOSBlock(279).size(), 512u);
    EXPECT_TRUE(proDOS.getProDOSBlock(280).empty());
    EXPECT_TRUE(proDOS.getProDOSBlock(-1).empty());
    EXPECT_FALSE(proDOS.hasProDOSBlock(280));

    const ProDOSDisk dos{ImageBytes(numberedSectors())};
    EXPECT_TRUE(dos.getProDOSBlock(280).empty());
    EXPECT_EQ(dos.proDOSBlockCount(), 280);
}

TEST(ProDOSDiskTest, PartialTrackOfDOSOrderIsNotHeld) {
    // 35 tracks and 8 sectors of a 36th: those blocks are missing halves.
    const ProDOSDisk dos{ImageBytes(numberedSectors(143360 + 2048))};
    ASSERT_FALSE(dos.proDOSOrder);
    EXPECT_EQ(dos.proDOSBlockCount(), 280);
    for (int64_t block = 280; block < 288; ++block) EXPECT_TRUE(dos.getProDOSBlock(block).empty()) << block;
    EXPECT_EQ(dos.dataInDiskOrder().size(), 143360u);
}

TEST(ProDOSDiskTest, DataInDiskOrder) {
    ProDOSImageBuilder volume;
    for (int64_t block = 6; block < 280; ++block) volume.fillBlock(block, static_cast<uint8_t>(block));
    const ProDOSDisk dos{ImageBytes(volume.dosOrdered())};
    ASSERT_FALSE(dos.proDOSOrder);
    EXPECT_EQ(dos.dataInDiskOrder(), volume.image);

    // ProDOS order: the image up to its last whole block.
    Bytes withTail = volume.image;
    withTail.resize(withTail.size() + 100, 0xEE);
    const ProDOSDisk proDOS{ImageBytes(withTail)};
    EXPECT_EQ(proDOS.dataInDiskOrder(), volume.image);
}

TEST(ProDOSDiskTest, FormatsA140KVolume) {
    const ProDOSDisk disk = ProDOSDisk::blankDisk(280);
    ASSERT_EQ(disk.sizeInBytes(), 143360);
    EXPECT_TRUE(disk.proDOSOrder);
    const ImageBytes& image = disk.structureData;

    EXPECT_TRUE(std::equal(ProDOSBoostrap::bytes.begin(), ProDOSBoostrap::bytes.end(), image.begin()));
    const ImageBytes block2 = disk.getProDOSBlock(2);
    const Bytes start{0x00, 0x00, 0x03, 0x00, 0xF8, 'U', 'N', 'T', 'I', 'T', 'L', 'E', 'D'};
    EXPECT_TRUE(std::equal(start.begin(), start.end(), block2.begin()));
    for (size_t at = 28; at < 32; ++at) EXPECT_EQ(block2[at], 0) << "date and time at " << at;
    EXPECT_EQ(block2[34], 0x63);
    EXPECT_EQ(block2[35], 0x27);
    EXPECT_EQ(block2[36], 0x0D);
    EXPECT_EQ(block2[39], 0x06);
    EXPECT_EQ(block2[40], 0x00);
    EXPECT_EQ(block2[41], 0x18);
    EXPECT_EQ(block2[42], 0x01);

    // The directory chain 2 -> 3 -> 4 -> 5, otherwise zero.
    const std::vector<std::array<int, 4>> pointers{{3, 2, 0, 4}, {4, 3, 0, 5}, {5, 4, 0, 0}};
    for (const auto& [block, previous, previousHigh, next] : pointers) {
        const ImageBytes bytes = disk.getProDOSBlock(block);
        EXPECT_EQ(bytes[0], previous);
        EXPECT_EQ(bytes[1], previousHigh);
        EXPECT_EQ(bytes[2], next);
        EXPECT_TRUE(std::all_of(bytes.begin() + 4, bytes.end(), [](uint8_t b) { return b == 0; })) << block;
    }

    // The bitmap in block 6 alone; every other block zero.
    EXPECT_EQ(disk.getProDOSBlock(6), ProDOSVolumeBitmap(280).bitmapData);
    EXPECT_TRUE(std::all_of(image.begin() + 7 * 512, image.end(), [](uint8_t b) { return b == 0; }));
}

TEST(ProDOSDiskTest, BitmapBlocksFollowTheSize) {
    const auto bitmapOf = [](int64_t blocks) {
        const ProDOSDisk disk = ProDOSDisk::blankDisk(blocks);
        return disk.getBlockAtPosition(6, ProDOSVolumeBitmap::blockCount(blocks));
    };
    EXPECT_EQ(ProDOSVolumeBitmap::blockCount(4095), 1);
    EXPECT_EQ(ProDOSVolumeBitmap::blockCount(4096), 2);
    EXPECT_EQ(bitmapOf(4095), ProDOSVolumeBitmap(4095).bitmapData);
    EXPECT_EQ(bitmapOf(4096), ProDOSVolumeBitmap(4096).bitmapData);
    EXPECT_EQ(ProDOSDisk::blankDisk(4096).getProDOSBlock(8)[0], 0) << "nothing after two bitmap blocks";
}

TEST(ProDOSDiskTest, RefusesSizesOutsideTheHeaderAndLayout) {
    EXPECT_EQ(ProDOSDisk::blankDisk(7).sizeInBlocks(), 7);
    EXPECT_EQ(ProDOSDisk::blankDisk(65535).sizeInBlocks(), 65535);
    for (const int64_t blocks : {-1, 0, 1, 6}) {
        try {
            ProDOSDisk::blankDisk(blocks);
            ADD_FAILURE() << blocks << " blocks were formatted";
        } catch (const ProDOSDiskError& error) {
            EXPECT_EQ(error.errorCase, ProDOSDiskError::Case::volumeTooSmall) << blocks;
        }
    }
    try {
        ProDOSDisk::blankDisk(65536);
        ADD_FAILURE() << "65,536 blocks were formatted";
    } catch (const ProDOSDiskError& error) {
        EXPECT_EQ(error.errorCase, ProDOSDiskError::Case::volumeTooLarge);
    }
}

TEST(ProDOSVolumeBitmapTest, MarksBootDirectoryBitmapAndMissingBlocksInUse) {
    const Bytes small = ProDOSVolumeBitmap(280).bitmapData;
    ASSERT_EQ(small.size(), 512u);
    EXPECT_EQ(small[0], 0x01);
    for (size_t i = 1; i <= 34; ++i) EXPECT_EQ(small[i], 0xFF) << i;
    for (size_t i = 35; i < 512; ++i) EXPECT_EQ(small[i], 0x00) << i;

    const Bytes exact = ProDOSVolumeBitmap(4096).bitmapData;
    ASSERT_EQ(exact.size(), 1024u);
    EXPECT_EQ(exact[0], 0x00);
    for (size_t i = 1; i < 512; ++i) EXPECT_EQ(exact[i], 0xFF) << i;
    for (size_t i = 512; i < 1024; ++i) EXPECT_EQ(exact[i], 0x00) << i;

    const Bytes largest = ProDOSVolumeBitmap(65535).bitmapData;
    ASSERT_EQ(largest.size(), 8192u);
    EXPECT_EQ(largest[0], 0x00);
    EXPECT_EQ(largest[1], 0x00);
    EXPECT_EQ(largest[2], 0x03);
    EXPECT_EQ(largest[8191], 0xFE);

    const ProDOSVolumeBitmap bitmap(280);
    EXPECT_FALSE(bitmap.isBlockFree(6));
    EXPECT_TRUE(bitmap.isBlockFree(7));
    EXPECT_TRUE(bitmap.isBlockFree(279));
    EXPECT_FALSE(bitmap.isBlockFree(280));
    EXPECT_FALSE(bitmap.isBlockFree(-1));
    EXPECT_FALSE(bitmap.isBlockFree(4096));
}

TEST(ProDOSBoostrapTest, BeginsWithTheBootSignature) {
    EXPECT_TRUE(beginsWithProDOSBootSignature(ProDOSBoostrap::bytes));
    EXPECT_TRUE(beginsWithProDOSBootSignature(Bytes{0x01, 0x38, 0xB0, 0x03, 0x4C}));
    EXPECT_FALSE(beginsWithProDOSBootSignature(Bytes{0x01, 0x38, 0xB0}));
    EXPECT_FALSE(beginsWithProDOSBootSignature(Bytes{0x01, 0x38, 0xB0, 0x02}));
}

}  // namespace
}  // namespace zorv
