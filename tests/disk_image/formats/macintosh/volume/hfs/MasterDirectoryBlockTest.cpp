#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"
#include "platform/FileSystem.hpp"
#include "support/ByteBuilder.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/HfsTool.hpp"
#include "support/RunCommand.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;
using testing::ScopedTimeZone;
using ErrorCase = MasterDirectoryBlockError::Case;

constexpr int64_t kUnixEpochIn1904Seconds = 2082844800;
// 2024-05-01 12:00:00 UTC: the "now" of every blank volume made here.
constexpr Date kNow{1714564800};
constexpr int64_t kNowStored = 1714564800 + kUnixEpochIn1904Seconds;

// ---------------------------------------------------------------------------
// New blank volumes: the worked layouts, reproduced byte for byte.

struct BlankLayout {
    const char* label;
    int64_t blocks;
    int64_t allocationBlockSize;
    int64_t firstAllocationSector;
    int64_t heldAllocationBlocks;
    int64_t clumpBlocks;  // allocation blocks of each B-tree file
    int64_t freeBlocks;
    int64_t clumpSize;
};

class MasterDirectoryBlockBlankLayout : public ::testing::TestWithParam<BlankLayout> {
protected:
    ScopedTimeZone utc{"UTC"};
};

// The 512 bytes a blank volume named "Untitled" should carry, spelt out
// field by field from the layout's values.
Bytes expectedBlankBlock(const BlankLayout& layout) {
    const int64_t treeFileBytes = layout.clumpBlocks * layout.allocationBlockSize;
    ByteBuilder block;
    block.text("BD")
        .u32(kNowStored)  // created
        .u32(kNowStored)  // modified
        .u16(256)         // attributes
        .u16(1)           // files in the root
        .u16(3)           // bitmap sector
        .u16(0)           // allocation pointer
        .u16(std::min<int64_t>(layout.heldAllocationBlocks, 65535))
        .u32(layout.allocationBlockSize)
        .u32(layout.clumpSize)
        .u16(layout.firstAllocationSector)
        .u32(18)  // next catalog node ID
        .u16(layout.freeBlocks)
        .pascal("Untitled", 28)
        .u32(kNowStored)  // backed up
        .u16(0)           // backup sequence
        .u32(8)           // write count
        .u32(treeFileBytes)
        .u32(treeFileBytes)
        .u16(0)  // folders in the root
        .u32(0)  // files
        .u32(0)  // folders
        .zeros(32)
        .u16(0)
        .u16(0)
        .u16(0)
        .u32(treeFileBytes)
        .u16(0).u16(layout.clumpBlocks).zeros(8)
        .u32(treeFileBytes)
        .u16(layout.clumpBlocks).u16(layout.clumpBlocks).zeros(8)
        .zeros(350);
    return block;
}

TEST_P(MasterDirectoryBlockBlankLayout, HeldFieldsFollowTheLayout) {
    const BlankLayout& layout = GetParam();
    const MasterDirectoryBlock mdb(layout.blocks, "Untitled", 512, kNow);
    EXPECT_EQ(mdb.drAlBlkSiz, layout.allocationBlockSize);
    EXPECT_EQ(mdb.drAlBlSt, layout.firstAllocationSector);
    EXPECT_EQ(mdb.drNmAlBlks, layout.heldAllocationBlocks);
    EXPECT_EQ(mdb.drFreeBks, layout.freeBlocks);
    EXPECT_EQ(mdb.drClpSiz, layout.clumpSize);
    EXPECT_EQ(mdb.drXTExtRec[0], ExtDescriptor(0, layout.clumpBlocks));
    EXPECT_EQ(mdb.drCTExtRec[0], ExtDescriptor(layout.clumpBlocks, layout.clumpBlocks));
    EXPECT_EQ(mdb.blockSize, 512);
    EXPECT_TRUE(mdb.structureData.empty());
}

TEST_P(MasterDirectoryBlockBlankLayout, WritesEveryFieldByteForByte) {
    const BlankLayout& layout = GetParam();
    const MasterDirectoryBlock mdb(layout.blocks, "Untitled", 512, kNow);
    const Bytes written = mdb.dataBlock();
    ASSERT_EQ(written.size(), 512u);
    EXPECT_EQ(written, expectedBlankBlock(layout));
}

TEST_P(MasterDirectoryBlockBlankLayout, HeaderBlocksAreTheRecordAtBlock2AndTwoBlocksFromTheEnd) {
    const BlankLayout& layout = GetParam();
    const auto blocks = MasterDirectoryBlock::newVolumeHeaderBlocks(layout.blocks, "Untitled", 512, kNow);
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_TRUE(blocks.contains(2));
    ASSERT_TRUE(blocks.contains(layout.blocks - 2));
    EXPECT_EQ(blocks.at(2), expectedBlankBlock(layout));
    EXPECT_EQ(blocks.at(layout.blocks - 2), blocks.at(2));
}

TEST_P(MasterDirectoryBlockBlankLayout, ReadsBackAsWritten) {
    const BlankLayout& layout = GetParam();
    const MasterDirectoryBlock made(layout.blocks, "Untitled", 512, kNow);
    const MasterDirectoryBlock read(made.dataBlock());
    EXPECT_EQ(read.drCrDate, kNow);
    EXPECT_EQ(read.drLsMod, kNow);
    EXPECT_EQ(read.drVolBkUp, kNow);
    EXPECT_EQ(read.drVN, "Untitled");
    EXPECT_EQ(read.drNmAlBlks, std::min<int64_t>(layout.heldAllocationBlocks, 65535));
    EXPECT_EQ(read.drFreeBks, layout.freeBlocks);
    EXPECT_EQ(read.drXTExtRec, made.drXTExtRec);
    EXPECT_EQ(read.drCTExtRec, made.drCTExtRec);
    EXPECT_EQ(read.drCTFlSize, made.drCTFlSize);
    EXPECT_EQ(read.dataBlock(), made.dataBlock());
}

INSTANTIATE_TEST_SUITE_P(
    WorkedSizes, MasterDirectoryBlockBlankLayout,
    ::testing::Values(
        // label, blocks, drAlBlkSiz, drAlBlSt, drNmAlBlks held, c, drFreeBks, drClpSiz
        BlankLayout{"Smallest", 22, 512, 4, 16, 8, 0, 2048},
        BlankLayout{"OneMiB", 2048, 512, 4, 2042, 15, 2012, 2048},
        BlankLayout{"TwentyMiB", 40960, 512, 13, 40945, 319, 40307, 2048},
        BlankLayout{"ThirtyTwoMiB", 65536, 512, 19, 65515, 511, 64493, 2048},
        BlankLayout{"ThirtyThreeMiB", 67584, 1024, 12, 33785, 263, 33259, 4096},
        // More allocation blocks than the field holds: written as 65535.
        BlankLayout{"SixtyFiveMiB", 133120, 1024, 20, 66549, 519, 65511, 4096},
        BlankLayout{"HundredMiB", 204800, 2048, 16, 51195, 399, 50397, 8192},
        BlankLayout{"ThousandMiB", 2048000, 15872, 20, 66063, 516, 65031, 63488}),
    testing::namedBy(&BlankLayout::label));

// ---------------------------------------------------------------------------
// Sizes a blank volume can and cannot have.

struct SizeCase {
    int64_t blocks;
    bool accepted;
    ErrorCase refusal;
};

class MasterDirectoryBlockBlankSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(MasterDirectoryBlockBlankSize, IsAcceptedOnlyWithinTheBounds) {
    const SizeCase& size = GetParam();
    if (size.accepted) {
        const auto blocks = MasterDirectoryBlock::newVolumeHeaderBlocks(size.blocks, "Untitled", 512, kNow);
        EXPECT_EQ(blocks.at(size.blocks - 2).size(), 512u);
        const MasterDirectoryBlock mdb(size.blocks, "Untitled", 512, kNow);
        EXPECT_GE(mdb.drFreeBks, 0);
        // The allocation blocks end before the alternate copy.
        EXPECT_LE(mdb.drAlBlSt + std::min<int64_t>(mdb.drNmAlBlks, 65535) * (mdb.drAlBlkSiz / 512), size.blocks - 2);
        return;
    }
    testing::expectError<MasterDirectoryBlockError>(size.refusal,
                                                    [&] { MasterDirectoryBlock(size.blocks, "Untitled", 512, kNow); });
    testing::expectError<MasterDirectoryBlockError>(
        size.refusal, [&] { MasterDirectoryBlock::newVolumeHeaderBlocks(size.blocks, "Untitled", 512, kNow); });
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, MasterDirectoryBlockBlankSize,
    ::testing::Values(SizeCase{-1, false, ErrorCase::volumeTooSmall}, SizeCase{0, false, ErrorCase::volumeTooSmall},
                      SizeCase{2, false, ErrorCase::volumeTooSmall}, SizeCase{21, false, ErrorCase::volumeTooSmall},
                      SizeCase{MasterDirectoryBlock::minimumBlankVolumeBlocks, true, {}},
                      SizeCase{23, true, {}}, SizeCase{800, true, {}}, SizeCase{1600, true, {}},
                      SizeCase{4194304, true, {}},  // 2 GiB
                      SizeCase{MasterDirectoryBlock::maximumBlankVolumeBlocks, true, {}},
                      SizeCase{MasterDirectoryBlock::maximumBlankVolumeBlocks + 1, false, ErrorCase::volumeTooLarge},
                      SizeCase{INT64_MAX, false, ErrorCase::volumeTooLarge}),
    testing::namedBy([](const SizeCase& size) {
        return (size.blocks < 0 ? "minus " + std::to_string(-size.blocks) : std::to_string(size.blocks)) + " blocks";
    }));

TEST(MasterDirectoryBlockBlank, RefusalsCarryTheBlockCount) {
    try {
        MasterDirectoryBlock(21, "Untitled", 512, kNow);
        FAIL() << "21 blocks accepted";
    } catch (const MasterDirectoryBlockError& error) {
        EXPECT_EQ(error.payload, 21);
        EXPECT_STREQ(error.what(), "volumeTooSmall(21)");
    }
}

TEST(MasterDirectoryBlockBlank, OnlyFiveHundredTwelveByteBlocks) {
    EXPECT_THROW(MasterDirectoryBlock(2048, "Untitled", 1024, kNow), std::invalid_argument);
    EXPECT_THROW(MasterDirectoryBlock(2048, "Untitled", 0, kNow), std::invalid_argument);
}

TEST(MasterDirectoryBlockBlank, DatesAreClampedToTheField) {
    ScopedTimeZone utc("UTC");
    struct DateCase {
        int64_t unixSeconds;
        int64_t stored;
    };
    const DateCase cases[] = {
        {-kUnixEpochIn1904Seconds, 0},               // the epoch itself
        {-kUnixEpochIn1904Seconds - 86400, 0},       // before 1904
        {2212122495LL, 0xFFFFFFFFLL},                // 2040-02-06 06:28:15, the last second that fits
        {2212122496LL, 0xFFFFFFFFLL},                // one second later
        {2524608000LL, 0xFFFFFFFFLL},                // 2050
    };
    for (const auto& date : cases) {
        const Bytes written = MasterDirectoryBlock(2048, "Untitled", 512, Date{date.unixSeconds}).dataBlock();
        EXPECT_EQ(Bytes(written.begin() + 2, written.begin() + 10),
                  Bytes(ByteBuilder().u32(date.stored).u32(date.stored)))
            << date.unixSeconds;
        EXPECT_EQ(Bytes(written.begin() + 64, written.begin() + 68), Bytes(ByteBuilder().u32(date.stored)));
    }
}

TEST(MasterDirectoryBlockBlank, DatesAreLocalTime) {
    // UTC+1 all year: local 1904-01-01 00:00 is an hour earlier, so the same
    // instant counts one more hour.
    ScopedTimeZone plusOne("Etc/GMT-1");
    const Bytes written = MasterDirectoryBlock(2048, "Untitled", 512, kNow).dataBlock();
    EXPECT_EQ(Bytes(written.begin() + 2, written.begin() + 6), Bytes(ByteBuilder().u32(kNowStored + 3600)));
}

TEST(MasterDirectoryBlockBlank, NamesAreMacRomanCutTo27) {
    struct NameCase {
        std::string name;
        Bytes field;  // the 28 bytes at offset 36
    };
    const NameCase cases[] = {
        {"", ByteBuilder().pascal("", 28)},
        {"Caf\u00E9 \u2122", ByteBuilder().pascal("Caf\x8E \xAA", 28)},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0", ByteBuilder().pascal("ABCDEFGHIJKLMNOPQRSTUVWXYZ0", 28)},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", ByteBuilder().pascal("ABCDEFGHIJKLMNOPQRSTUVWXYZ0", 28)},
        // Not representable in Mac OS Roman: an empty field, never a mangled one.
        {"\u65E5\u672C", Bytes(28, 0)},
    };
    for (const auto& name : cases) {
        const Bytes written = MasterDirectoryBlock(2048, name.name, 512, kNow).dataBlock();
        EXPECT_EQ(Bytes(written.begin() + 36, written.begin() + 64), name.field) << name.name;
    }
}

// ---------------------------------------------------------------------------
// Reading: the edge cases of the record.

TEST(MasterDirectoryBlockRead, ZerosAreAnUnformattedPartition) {
    testing::expectError<MasterDirectoryBlockError>(ErrorCase::unformattedPartition,
                                                    [] { MasterDirectoryBlock(Bytes(512, 0)); });
    testing::expectError<MasterDirectoryBlockError>(ErrorCase::unformattedPartition,
                                                    [] { MasterDirectoryBlock(Bytes{}); });
    // Zeros win over a short buffer too.
    testing::expectError<MasterDirectoryBlockError>(ErrorCase::unformattedPartition,
                                                    [] { MasterDirectoryBlock(Bytes(20, 0)); });
}

TEST(MasterDirectoryBlockRead, AnyOtherFirstTwoBytesAreTheWrongSignature) {
    const std::vector<Bytes> blocks = {
        ByteBuilder().text("bd").zeros(510),
        ByteBuilder().text("DB").zeros(510),
        ByteBuilder().text("H+").zeros(510),
        ByteBuilder().zeros(400).u8(1).zeros(111),  // zeros apart from one byte far in
    };
    for (const auto& block : blocks) {
        testing::expectError<MasterDirectoryBlockError>(ErrorCase::invalidMDBPartitionSignature,
                                                        [&] { MasterDirectoryBlock{ImageBytes(block)}; });
    }
}

TEST(MasterDirectoryBlockRead, SignatureAndZerosReadAsEmptyFields) {
    ScopedTimeZone utc("UTC");
    const MasterDirectoryBlock mdb(ImageBytes(ByteBuilder().text("BD").zeros(510)));
    const Date epoch{-kUnixEpochIn1904Seconds};
    EXPECT_EQ(mdb.drCrDate, epoch);
    EXPECT_EQ(mdb.drLsMod, epoch);
    EXPECT_EQ(mdb.drVolBkUp, epoch);
    EXPECT_EQ(mdb.drAtrb, 0);
    EXPECT_EQ(mdb.drNmFls, 0);
    EXPECT_EQ(mdb.drVBMSt, 0);
    EXPECT_EQ(mdb.drNxtCNID, 0);
    EXPECT_EQ(mdb.drWrCnt, 0);
    EXPECT_EQ(mdb.drNmAlBlks, 0);
    EXPECT_EQ(mdb.drVN, "");
    EXPECT_EQ(mdb.drCTExtRec[0], ExtDescriptor(0, 0));
    EXPECT_EQ(mdb.blockSize, 512);
    EXPECT_EQ(mdb.structureData.size(), 512u);
    EXPECT_EQ(mdb.dataBlock(), Bytes(ByteBuilder().text("BD").zeros(510)));
}

TEST(MasterDirectoryBlockRead, FieldsAreUnsignedAtTheirOffsets) {
    ScopedTimeZone utc("UTC");
    ByteBuilder block;
    block.text("BD")
        .u32(0xFFFFFFFF).u32(0x80000000)
        .u16(0x8000).u16(2).u16(3).u16(4).u16(0xFFFF)
        .u32(0x80000000).u32(6)
        .u16(7).u32(0xFFFFFFFE).u16(8)
        .pascal("Macintosh HD", 28)
        .u32(9).u16(10).u32(11).u32(12).u32(13).u16(14).u32(15).u32(16)
        .u32(17).u32(18).u32(19).u32(20).u32(21).u32(22).u32(23).u32(0xFFFFFFFF)
        .u16(0x482B).u16(25).u16(26)
        .u32(27).u16(1).u16(2).u16(3).u16(4).u16(5).u16(6)
        .u32(28).u16(0xFFFF).u16(0xFFFE).u16(7).u16(8).u16(9).u16(10)
        .zeros(350);
    const MasterDirectoryBlock mdb{ImageBytes(block.data())};
    EXPECT_EQ(mdb.drCrDate.secondsSince1970, 0xFFFFFFFFLL - kUnixEpochIn1904Seconds);
    EXPECT_EQ(mdb.drLsMod.secondsSince1970, 0x80000000LL - kUnixEpochIn1904Seconds);
    EXPECT_EQ(mdb.drAtrb, 0x8000);
    EXPECT_EQ(mdb.drNmFls, 2);
    EXPECT_EQ(mdb.drVBMSt, 3);
    EXPECT_EQ(mdb.drAllocPtr, 4);
    EXPECT_EQ(mdb.drNmAlBlks, 0xFFFF);
    EXPECT_EQ(mdb.drAlBlkSiz, 0x80000000LL);
    EXPECT_EQ(mdb.drClpSiz, 6);
    EXPECT_EQ(mdb.drAlBlSt, 7);
    EXPECT_EQ(mdb.drNxtCNID, 0xFFFFFFFELL);
    EXPECT_EQ(mdb.drFreeBks, 8);
    EXPECT_EQ(mdb.drVN, "Macintosh HD");
    EXPECT_EQ(mdb.drVolBkUp.secondsSince1970, 9 - kUnixEpochIn1904Seconds);
    EXPECT_EQ(mdb.drVSeqNum, 10);
    EXPECT_EQ(mdb.drWrCnt, 11);
    EXPECT_EQ(mdb.drXTClpSiz, 12);
    EXPECT_EQ(mdb.drCTClpSiz, 13);
    EXPECT_EQ(mdb.drNmRtDirs, 14);
    EXPECT_EQ(mdb.drFilCnt, 15);
    EXPECT_EQ(mdb.drDirCnt, 16);
    EXPECT_EQ(mdb.drFndrInfo, (std::array<int64_t, 8>{17, 18, 19, 20, 21, 22, 23, 0xFFFFFFFFLL}));
    EXPECT_EQ(mdb.drVCSize, 0x482B);
    EXPECT_EQ(mdb.drVBMCSize, 25);
    EXPECT_EQ(mdb.drCtlCSize, 26);
    EXPECT_EQ(mdb.drXTFlSize, 27);
    EXPECT_EQ(mdb.drXTExtRec, (std::array<ExtDescriptor, 3>{{{1, 2}, {3, 4}, {5, 6}}}));
    EXPECT_EQ(mdb.drCTFlSize, 28);
    EXPECT_EQ(mdb.drCTExtRec, (std::array<ExtDescriptor, 3>{{{0xFFFF, 0xFFFE}, {7, 8}, {9, 10}}}));
    EXPECT_EQ(mdb.dataBlock(), block.data());
}

TEST(MasterDirectoryBlockRead, NameLengthBeyondItsFieldTakesTheFollowingBytes) {
    // A damaged length byte reads on into the next fields; the cursor still
    // moves on by the 28 bytes of the field.
    ScopedTimeZone utc("UTC");
    ByteBuilder block;
    block.text("BD").zeros(34).u8(31).text("ABCDEFGHIJKLMNOPQRSTUVWXYZ0").text("WXYZ").u16(7).zeros(442);
    const MasterDirectoryBlock mdb{ImageBytes(block.data())};
    EXPECT_EQ(mdb.drVN, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0WXYZ");
    EXPECT_EQ(mdb.drVSeqNum, 7);
    EXPECT_EQ(mdb.drVolBkUp.secondsSince1970 + kUnixEpochIn1904Seconds, 0x5758595ALL);
}

TEST(MasterDirectoryBlockRead, TruncatedRecordsFailCleanly) {
    // The record needs 162 bytes; a name length byte may need more.
    EXPECT_THROW(MasterDirectoryBlock(Bytes{0x42}), ReadPastEndError);
    for (size_t length : {2u, 10u, 36u, 63u, 64u, 100u, 150u, 161u}) {
        EXPECT_THROW(MasterDirectoryBlock(Bytes(ByteBuilder().text("BD").zeros(length - 2))), ReadPastEndError)
            << length;
    }
    EXPECT_NO_THROW(MasterDirectoryBlock(Bytes(ByteBuilder().text("BD").zeros(160))));
    EXPECT_THROW(MasterDirectoryBlock(Bytes(ByteBuilder().text("BD").zeros(34).u8(255).zeros(125))),
                 ReadPastEndError);
}

TEST(MasterDirectoryBlockRead, DamagedBytesNeverCrash) {
    // Random blocks, each also cut short at a random length: a read either
    // succeeds, and then writes 512 bytes back, or throws one of the two
    // errors of damaged input.
    std::mt19937 random(1904);
    std::uniform_int_distribution<int> byte(0, 255);
    int readCount = 0;
    for (int round = 0; round < 4000; ++round) {
        Bytes block(512);
        for (auto& value : block) value = static_cast<uint8_t>(byte(random));
        if (round % 2 == 0) {
            block[0] = 'B';
            block[1] = 'D';
        }
        if (round % 3 != 0) block.resize(std::uniform_int_distribution<size_t>(0, 512)(random));
        try {
            const MasterDirectoryBlock mdb{ImageBytes(block)};
            EXPECT_EQ(mdb.dataBlock().size(), 512u);
            ++readCount;
        } catch (const MasterDirectoryBlockError&) {
        } catch (const ReadPastEndError&) {
        }
    }
    EXPECT_GT(readCount, 100);
}

// ---------------------------------------------------------------------------
// Real volumes: made by hfsutils at test time, and from the shared corpus.

struct ExpectedVolume {
    int64_t allocationBlockSize;
    int64_t allocationBlocks;
    int64_t firstAllocationSector;
    int64_t freeBlocks;
    int64_t files;
    int64_t folders;
    std::array<ExtDescriptor, 3> extentsFile;
    std::array<ExtDescriptor, 3> catalogFile;
    int64_t catalogBytes;
};

void expectVolume(const MasterDirectoryBlock& mdb, const ExpectedVolume& expected) {
    EXPECT_EQ(mdb.drAlBlkSiz, expected.allocationBlockSize);
    EXPECT_EQ(mdb.drNmAlBlks, expected.allocationBlocks);
    EXPECT_EQ(mdb.drAlBlSt, expected.firstAllocationSector);
    EXPECT_EQ(mdb.drVBMSt, 3);
    EXPECT_EQ(mdb.drFreeBks, expected.freeBlocks);
    EXPECT_EQ(mdb.drFilCnt, expected.files);
    EXPECT_EQ(mdb.drDirCnt, expected.folders);
    EXPECT_EQ(mdb.drXTExtRec, expected.extentsFile);
    EXPECT_EQ(mdb.drCTExtRec, expected.catalogFile);
    EXPECT_EQ(mdb.drCTFlSize, expected.catalogBytes);
}

struct FormattedVolume {
    const char* label;
    int64_t sizeInBytes;
    std::string volumeName;  // as passed to hformat: Mac OS Roman bytes
    std::string readName;    // as read back: UTF-8
    ExpectedVolume expected;
};

class MasterDirectoryBlockOfHformat : public ::testing::TestWithParam<FormattedVolume> {
protected:
    void SetUp() override {
        if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    }
    ScopedTimeZone utc{"UTC"};
    testing::TemporaryDirectory folder;
    testing::HfsTool hfs;
};

TEST_P(MasterDirectoryBlockOfHformat, ReadsTheMasterDirectoryBlockAndWritesItBackUnchanged) {
    const FormattedVolume& volume = GetParam();
    const std::string path = folder.file("volume.hfs");
    const Date before = Date::now();
    hfs.formatNewImage(path, volume.volumeName, volume.sizeInBytes);
    const ImageBytes image = fs::readWholeFile(path);
    const ImageBytes recordBytes = image.slice(1024, 512);

    const MasterDirectoryBlock mdb(recordBytes);
    EXPECT_EQ(mdb.drVN, volume.readName);
    expectVolume(mdb, volume.expected);
    // hformat stamps the volume with the current time, in the same zone.
    EXPECT_GE(mdb.drCrDate.secondsSince1970, before.secondsSince1970 - 2);
    EXPECT_LE(mdb.drCrDate.secondsSince1970, Date::now().secondsSince1970 + 2);
    EXPECT_EQ(mdb.structureData, recordBytes);
    EXPECT_EQ(mdb.dataBlock(), recordBytes.toBytes());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, MasterDirectoryBlockOfHformat,
    ::testing::Values(
        FormattedVolume{"Floppy800K", 819200, "Caf\x8E 800K", "Caf\u00E9 800K",
                        {512, 1594, 4, 1570, 0, 0, {{{0, 12}, {}, {}}}, {{{12, 12}, {}, {}}}, 6144}},
        FormattedVolume{"Floppy1440K", 1474560, "Untitled", "Untitled",
                        {512, 2874, 4, 2830, 0, 0, {{{0, 22}, {}, {}}}, {{{22, 22}, {}, {}}}, 11264}},
        FormattedVolume{"Disk20M", 20971520, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0",
                        {512, 40945, 13, 40307, 0, 0, {{{0, 319}, {}, {}}}, {{{319, 319}, {}, {}}}, 163328}}),
    testing::namedBy(&FormattedVolume::label));

// hformat lays out volumes as the blank-volume maker does wherever the
// allocation block count stays within 65535. They differ only in fields the
// layout does not decide: hformat writes drNmFls 0, drNxtCNID 16, drWrCnt 0,
// drVolBkUp 0 and an allocation pointer past the B-tree files, against 1, 18,
// 8, now and 0 here; and its dates are its own. Above 64 MiB the layouts
// part: the multiplier here counts 2000 allocation blocks a MiB where
// hformat keeps the count within 65535 (65 MiB: 1024-byte blocks here,
// 1536-byte ones there).
class MasterDirectoryBlockAgainstHformat : public ::testing::TestWithParam<int64_t> {
protected:
    void SetUp() override {
        if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    }
    testing::TemporaryDirectory folder;
    testing::HfsTool hfs;
};

TEST_P(MasterDirectoryBlockAgainstHformat, LayoutFieldsAgree) {
    const int64_t blocks = GetParam();
    const std::string path = folder.file("volume.hfs");
    hfs.formatNewImage(path, "Untitled", blocks * 512);
    const ImageBytes image = fs::readWholeFile(path);
    const MasterDirectoryBlock theirs(image.slice(1024, 512));
    const MasterDirectoryBlock ours(blocks, "Untitled", 512, kNow);

    EXPECT_EQ(ours.drSigWord, theirs.drSigWord);
    EXPECT_EQ(ours.drAtrb, theirs.drAtrb);
    EXPECT_EQ(ours.drVBMSt, theirs.drVBMSt);
    EXPECT_EQ(ours.drNmAlBlks, theirs.drNmAlBlks);
    EXPECT_EQ(ours.drAlBlkSiz, theirs.drAlBlkSiz);
    EXPECT_EQ(ours.drClpSiz, theirs.drClpSiz);
    EXPECT_EQ(ours.drAlBlSt, theirs.drAlBlSt);
    EXPECT_EQ(ours.drFreeBks, theirs.drFreeBks);
    EXPECT_EQ(ours.drVN, theirs.drVN);
    EXPECT_EQ(ours.drVSeqNum, theirs.drVSeqNum);
    EXPECT_EQ(ours.drXTClpSiz, theirs.drXTClpSiz);
    EXPECT_EQ(ours.drCTClpSiz, theirs.drCTClpSiz);
    EXPECT_EQ(ours.drNmRtDirs, theirs.drNmRtDirs);
    EXPECT_EQ(ours.drFilCnt, theirs.drFilCnt);
    EXPECT_EQ(ours.drDirCnt, theirs.drDirCnt);
    EXPECT_EQ(ours.drFndrInfo, theirs.drFndrInfo);
    EXPECT_EQ(ours.drVCSize, theirs.drVCSize);
    EXPECT_EQ(ours.drVBMCSize, theirs.drVBMCSize);
    EXPECT_EQ(ours.drCtlCSize, theirs.drCtlCSize);
    EXPECT_EQ(ours.drXTFlSize, theirs.drXTFlSize);
    EXPECT_EQ(ours.drXTExtRec, theirs.drXTExtRec);
    EXPECT_EQ(ours.drCTFlSize, theirs.drCTFlSize);
    EXPECT_EQ(ours.drCTExtRec, theirs.drCTExtRec);
    // hformat also keeps its alternate copy two blocks from the end.
    const auto headers = MasterDirectoryBlock::newVolumeHeaderBlocks(blocks, "Untitled", 512, kNow);
    EXPECT_TRUE(headers.contains(blocks - 2));
    EXPECT_EQ(image.slice((blocks - 2) * 512, 512), image.slice(1024, 512));
}

INSTANTIATE_TEST_SUITE_P(Sizes, MasterDirectoryBlockAgainstHformat,
                         ::testing::Values(1600, 2048, 2880, 40960, 65536, 67584, 204800),
                         testing::namedBy([](int blocks) { return std::to_string(blocks) + " blocks"; }));

struct CorpusVolume {
    const char* path;
    int64_t volumeOffset;  // where the volume starts in the file (84 inside a Disk Copy 4.2 image)
    const char* name;
    ExpectedVolume expected;
    // Real disks whose name field carries bytes after the name read the same
    // but write back with zeros there.
    bool writesBackUnchanged;
};

class CorpusMasterDirectoryBlock : public ::testing::TestWithParam<CorpusVolume> {};

TEST_P(CorpusMasterDirectoryBlock, ReadsWhatTheVolumeHolds) {
    const CorpusVolume& volume = GetParam();
    const auto path = testing::corpusFile(volume.path);
    if (!path) GTEST_SKIP() << volume.path << " is not in the shared corpus";
    const ImageBytes image = fs::readWholeFile(path->string());
    const ImageBytes recordBytes = image.slice(volume.volumeOffset + 1024, 512);
    const MasterDirectoryBlock mdb(recordBytes);
    EXPECT_EQ(mdb.drVN, volume.name);
    expectVolume(mdb, volume.expected);
    EXPECT_EQ(mdb.dataBlock() == recordBytes.toBytes(), volume.writesBackUnchanged);
    // Only the bytes after the name may differ.
    const Bytes written = mdb.dataBlock();
    const size_t nameEnd = 37 + recordBytes[36];
    EXPECT_EQ(Bytes(written.begin(), written.begin() + static_cast<int64_t>(nameEnd)),
              Bytes(recordBytes.begin(), recordBytes.begin() + nameEnd));
    EXPECT_EQ(Bytes(written.begin() + 64, written.end()), Bytes(recordBytes.begin() + 64, recordBytes.end()));
}

// Names and counts as MANIFEST.md records them; the other values as each
// volume stores them.
const std::array<ExtDescriptor, 3> kFloppyExtents{{{0, 12}, {}, {}}};
const std::array<ExtDescriptor, 3> kFloppyCatalog{{{12, 12}, {}, {}}};
const std::array<ExtDescriptor, 3> kHDExtents{{{0, 22}, {}, {}}};
const std::array<ExtDescriptor, 3> kHDCatalog{{{22, 22}, {}, {}}};

INSTANTIATE_TEST_SUITE_P(
    SharedCorpus, CorpusMasterDirectoryBlock,
    ::testing::Values(
        CorpusVolume{"hfs/cp2-blank-800k.po", 0, "New Disk",
                     {512, 1594, 4, 1570, 0, 0, kFloppyExtents, kFloppyCatalog, 6144}, true},
        CorpusVolume{"hfs/cp2-simple-gsos.po", 0, "HFS - GS/OS",
                     {512, 1594, 4, 940, 13, 3, kFloppyExtents, kFloppyCatalog, 6144}, true},
        CorpusVolume{"hfs/cp2-simple-linux.po", 0, "New Disk",
                     {512, 1594, 4, 1332, 9, 3, kFloppyExtents, {{{12, 12}, {196, 12}, {}}}, 12288}, true},
        CorpusVolume{"hfs/fc-hello-world-untitled-volume.img", 0, "Untitled",
                     {512, 2874, 4, 2826, 1, 0, kHDExtents, kHDCatalog, 11264}, true},
        CorpusVolume{"hfs/hr-ResEdit_2.1.3.img", 0, "ResEdit 2.1.3",
                     {512, 1616, 4, 27, 27, 9, kFloppyExtents, {{{12, 12}, {162, 12}, {}}}, 12288}, true},
        CorpusVolume{"hfs/hr-importfl-1.2.2.dsk", 0, "ImportFl",
                     {512, 1594, 4, 1096, 22, 1, kFloppyExtents, {{{12, 24}, {}, {}}}, 12288}, true},
        CorpusVolume{"hfs/im-System_3.3.dsk", 0, "System Tools",
                     {512, 1594, 4, 130, 19, 3, kFloppyExtents, kFloppyCatalog, 6144}, true},
        CorpusVolume{"hfs/im-System_6.0.8_System_Startup.img", 0, "System Startup",
                     {512, 2874, 4, 377, 28, 1, kHDExtents, kHDCatalog, 11264}, false},
        CorpusVolume{"hfs/mr-hfs400K.dsk", 0, "Untitled",
                     {512, 794, 4, 775, 1, 0, {{{0, 6}, {}, {}}}, {{{6, 6}, {}, {}}}, 3072}, true},
        CorpusVolume{"dc42/dcr-DART_1.5.3.image", 84, "DART\u2122 1.5.3",
                     {512, 1594, 4, 841, 5, 0, kFloppyExtents, kFloppyCatalog, 6144}, true},
        CorpusVolume{"dc42/cp2-Installer_Disk_1.image", 84, "Installer Disk 1",
                     {512, 1594, 4, 170, 31, 2, kFloppyExtents, {{{12, 12}, {404, 12}, {}}}, 12288}, true}),
    testing::namedBy(&CorpusVolume::path));

TEST(CorpusMasterDirectoryBlockDetails, WideAndFinderFieldsOfRealDisks) {
    ScopedTimeZone utc("UTC");
    const auto startup = testing::corpusFile("hfs/im-System_6.0.8_System_Startup.img");
    const auto tools = testing::corpusFile("hfs/im-System_3.3.dsk");
    if (!startup || !tools) GTEST_SKIP() << "the System disks are not in the shared corpus";
    const MasterDirectoryBlock startupMDB(fs::readWholeFile(startup->string()).slice(1024, 512));
    EXPECT_EQ(startupMDB.drWrCnt, 4287203063LL) << "32-bit counts are unsigned";
    EXPECT_EQ(startupMDB.drFndrInfo[0], 52) << "the blessed System Folder";
    EXPECT_EQ(startupMDB.drNxtCNID, 87);
    const MasterDirectoryBlock toolsMDB(fs::readWholeFile(tools->string()).slice(1024, 512));
    EXPECT_EQ(toolsMDB.drFndrInfo[0], 18);
    EXPECT_EQ(toolsMDB.drNmRtDirs, 2);
    EXPECT_EQ(toolsMDB.drNmFls, 2);
    // Stored as 3343760591 seconds after 1904.
    EXPECT_EQ(toolsMDB.drCrDate.secondsSince1970, 3343760591LL - kUnixEpochIn1904Seconds);
}

TEST(CorpusMasterDirectoryBlockDetails, CompressedLinuxVolume) {
    const auto packed = testing::corpusFile("hfs/util-linux-hfs.img.xz");
    if (!packed) GTEST_SKIP() << "hfs/util-linux-hfs.img.xz is not in the shared corpus";
    if (!testing::isCommandAvailable("xz")) GTEST_SKIP() << "xz is not installed";
    testing::TemporaryDirectory folder;
    const std::string unpacked = folder.file("hfs.img");
    std::filesystem::copy_file(*packed, unpacked + ".xz");
    ASSERT_EQ(testing::runCommand({"xz", "-d", unpacked + ".xz"}).exitStatus, 0);
    const ImageBytes image = fs::readWholeFile(unpacked);
    const MasterDirectoryBlock mdb(image.slice(1024, 512));
    EXPECT_EQ(mdb.drVN, "BBB");
    EXPECT_EQ(mdb.drNmAlBlks, 20470);
    EXPECT_EQ(mdb.drAlBlkSiz, 512);
    EXPECT_EQ(mdb.dataBlock(), image.slice(1024, 512).toBytes());
}

}  // namespace
}  // namespace zorv
