#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusForkDataStucture.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

using Extents = std::vector<HFSPlusExtentDescriptor>;

HFSPlusExtentDescriptor extent(int64_t start, int64_t count, int64_t blockSize = 4096) {
    return HFSPlusExtentDescriptor(start, count, blockSize);
}

// A volume of `blocks` allocation blocks of `blockSize` bytes, each filled
// with its own block number (mod 256), so gathered bytes show which blocks
// they came from.
ImageBytes numberedVolume(int64_t blocks, int64_t blockSize, int64_t trailingBytes = 0) {
    Bytes bytes;
    for (int64_t block = 0; block < blocks; ++block) bytes.insert(bytes.end(), blockSize, static_cast<uint8_t>(block));
    bytes.insert(bytes.end(), trailingBytes, 0xEE);
    return ImageBytes(std::move(bytes));
}

std::vector<int> blockNumbersIn(const ImageBytes& gathered, int64_t blockSize) {
    std::vector<int> numbers;
    for (size_t at = 0; at < gathered.size(); at += static_cast<size_t>(blockSize)) numbers.push_back(gathered[at]);
    return numbers;
}

TEST(HFSPlusForkDataStucture, ReadsTheEightyByteRecord) {
    ByteBuilder record;
    record.u64(0x123456789AB).u32(0x10000).u32(3).u32(10).u32(2).u32(0xFFFFFFFF).u32(1);
    record.zeros(48);
    const HFSPlusForkDataStucture fork(record.image(), 2048);

    EXPECT_EQ(fork.logicalSize, 0x123456789AB);
    EXPECT_EQ(fork.clumpSize, 0x10000);
    EXPECT_EQ(fork.totalBlocks, 3);
    EXPECT_EQ(fork.extents, (Extents{extent(10, 2, 2048), extent(0xFFFFFFFF, 1, 2048), extent(0, 0, 2048),
                                     extent(0, 0, 2048), extent(0, 0, 2048), extent(0, 0, 2048), extent(0, 0, 2048),
                                     extent(0, 0, 2048)}));
    EXPECT_EQ(fork.blockSize, 2048);
    EXPECT_EQ(fork.structureData, Bytes(record));
    EXPECT_EQ(fork.extents[1].structureData, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1}));
    EXPECT_EQ(fork.dataBlock(), Bytes(record));
    EXPECT_EQ(fork.dataBlockArray().size(), 4u);
}

TEST(HFSPlusForkDataStucture, ZeroAndEmptyRecordsAreBlankForks) {
    for (const ImageBytes& block : {ImageBytes(Bytes(80, 0)), ImageBytes()}) {
        const HFSPlusForkDataStucture fork(block, 512);
        EXPECT_EQ(fork.logicalSize, 0);
        EXPECT_EQ(fork.totalBlocks, 0);
        EXPECT_EQ(fork.extents, Extents(8, extent(0, 0, 512)));
        EXPECT_EQ(fork.dataBlock(), Bytes(80, 0));
    }
    EXPECT_EQ(HFSPlusForkDataStucture(512).dataBlock(), Bytes(80, 0));
    EXPECT_TRUE(HFSPlusForkDataStucture(ImageBytes(), 512).structureData.empty());
}

TEST(HFSPlusForkDataStucture, ShortAndOversizedRecordsAreRefused) {
    for (const size_t length : {1u, 16u, 79u}) {
        EXPECT_THROW(HFSPlusForkDataStucture(ImageBytes(Bytes(length, 0)), 512), ReadPastEndError) << length;
    }
    ByteBuilder hugeLength;
    hugeLength.u64(0x8000000000000000ULL).zeros(72);
    EXPECT_THROW(HFSPlusForkDataStucture(hugeLength.image(), 512), ValueOutOfRangeError);
}

TEST(HFSPlusForkDataStucture, WritingAValueWiderThanItsFieldIsACallersError) {
    HFSPlusForkDataStucture fork(512);
    fork.totalBlocks = 0x100000000;
    EXPECT_THROW(fork.dataBlock(), FieldEncodingError);
    fork = HFSPlusForkDataStucture(512);
    fork.extents[7].blockCount = -1;
    EXPECT_THROW(fork.dataBlock(), FieldEncodingError);
}

TEST(HFSPlusForkDataStucture, ExtentsGatherInListOrder) {
    const ImageBytes volume = numberedVolume(32, 4096);
    const ImageBytes gathered = HFSPlusForkDataStucture::gatherExtents(volume, 4096, {extent(10, 2), extent(20, 1)});
    EXPECT_EQ(gathered.size(), 3u * 4096);
    EXPECT_EQ(blockNumbersIn(gathered, 4096), (std::vector<int>{10, 11, 20}));

    const ImageBytes reversed = HFSPlusForkDataStucture::gatherExtents(
        volume, 4096, {extent(20, 1), extent(0, 0), extent(3, 1), extent(0, 0)});
    EXPECT_EQ(blockNumbersIn(reversed, 4096), (std::vector<int>{20, 3}));

    EXPECT_TRUE(HFSPlusForkDataStucture::gatherExtents(volume, 4096, Extents(8, extent(0, 0))).empty());
    EXPECT_TRUE(HFSPlusForkDataStucture::gatherExtents(volume, 4096, {}).empty());
}

TEST(HFSPlusForkDataStucture, GatheringStopsAtTheLastWholeAllocationBlock) {
    // 8 whole blocks of 512 bytes and a partial one.
    const ImageBytes volume = numberedVolume(8, 512, 100);
    struct Case {
        Extents extents;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {{extent(6, 2, 512)}, true},                       // ends exactly at block 8
        {{extent(0, 8, 512)}, true},                       // the whole volume
        {{extent(7, 2, 512)}, false},                      // ends at block 9
        {{extent(8, 1, 512)}, false},                      // the partial block
        {{extent(9, 0, 512)}, false},                      // an empty run past the end
        {{extent(0, 1, 512), extent(0xFFFFFFFF, 0xFFFFFFFF, 512)}, false},
        {{extent(0, 5, 512), extent(0, 4, 512)}, false},   // more blocks than the volume has
        {{extent(0, 4, 512), extent(0, 4, 512)}, true},    // overlapping, but no more than the volume
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        if (cases[i].accepted) {
            EXPECT_NO_THROW(HFSPlusForkDataStucture::gatherExtents(volume, 512, cases[i].extents)) << i;
        } else {
            EXPECT_THROW(HFSPlusForkDataStucture::gatherExtents(volume, 512, cases[i].extents),
                         BlockStructureDefinableError)
                << i;
        }
    }
}

TEST(HFSPlusForkDataStucture, GatheringRefusesANonPositiveBlockSize) {
    const ImageBytes volume = numberedVolume(4, 512);
    for (const int64_t blockSize : {0, -512}) {
        EXPECT_THROW(HFSPlusForkDataStucture::gatherExtents(volume, blockSize, {extent(0, 0, blockSize)}),
                     BlockStructureDefinableError);
    }
}

TEST(HFSPlusForkDataStucture, ContentsAreCutToTheLogicalSize) {
    const ImageBytes volume = numberedVolume(4, 4096);
    HFSPlusForkDataStucture fork(4096);
    fork.extents[0] = extent(1, 2);
    const ImageBytes gathered = HFSPlusForkDataStucture::gatherExtents(volume, 4096, fork.extents);

    struct Case {
        int64_t logicalSize;
        size_t expectedLength;
    };
    for (const Case c : std::vector<Case>{{5000, 5000}, {9000, 8192}, {8192, 8192}, {0, 0}}) {
        fork.logicalSize = c.logicalSize;
        const std::optional<ImageBytes> contents = fork.contents(gathered);
        ASSERT_TRUE(contents.has_value()) << c.logicalSize;
        EXPECT_EQ(contents->size(), c.expectedLength) << c.logicalSize;
    }

    // A fork without blocks has no contents at all, whatever its length says.
    fork.logicalSize = 100;
    EXPECT_FALSE(fork.contents(ImageBytes()).has_value());
}

TEST(HFSPlusForkDataStucture, CountsTheBlocksOfItsExtents) {
    HFSPlusForkDataStucture fork(512);
    EXPECT_EQ(fork.extentBlockCount(), 0);
    fork.extents[0] = extent(5, 3, 512);
    fork.extents[7] = extent(100, 0xFFFFFFFF, 512);
    EXPECT_EQ(fork.extentBlockCount(), 3 + 0xFFFFFFFFLL);
}

}  // namespace
}  // namespace zorv
