#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeHeader.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusTestImages.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;
using Case = HFSPlusVolumeHeaderError::Case;

// 2024-05-01 00:00:00 GMT.
constexpr Date kMay2024{1714521600};
constexpr int64_t kMay2024Stored = 0xE2573680;

ImageBytes headerOf(const ImageBytes& volume) {
    return volume.slice(HFSPlusVolumeHeader::offsetInVolume, HFSPlusVolumeHeader::size);
}

TEST(HFSPlusVolumeHeader, BlankHeaderBytes) {
    const testing::ScopedTimeZone zone{"UTC"};  // where local time is GMT
    ByteBuilder expected;
    expected.text("H+").u16(4).u32(0).text("8.10").u32(0);
    for (int date = 0; date < 4; ++date) expected.u32(kMay2024Stored);
    expected.u32(0).u32(0);           // files, folders
    expected.u32(512).u32(2048);      // block size, total blocks
    expected.u32(0).u32(0);           // free blocks, next allocation
    expected.u32(0).u32(0).u32(0);    // clump sizes, next catalog ID
    expected.u32(1);                  // write count
    expected.u64(0).zeros(32);        // encodings, Finder info
    expected.zeros(5 * 80);           // the five forks
    ASSERT_EQ(expected.size(), 512u);

    const HFSPlusVolumeHeader header(2048, "Untitled", 512, kMay2024);
    EXPECT_EQ(header.dataBlock(), Bytes(expected));
    EXPECT_EQ(header.dataBlockArray().size(), 26u);
    EXPECT_TRUE(header.structureData.empty());
    EXPECT_EQ(header.blockSize, 512);
    EXPECT_EQ(header.catalogFile.blockSize, 512);
}

TEST(HFSPlusVolumeHeader, CreationDateIsKeptInLocalTime) {
    struct ZoneCase {
        const char* zone;
        int64_t hoursAheadOfGMT;  // on 2024-05-01
    };
    for (const ZoneCase& c : std::vector<ZoneCase>{{"UTC", 0},
                                                   {"EST5EDT,M3.2.0,M11.1.0", -4},
                                                   {"CET-1CEST,M3.5.0,M10.5.0/3", 2},
                                                   {"JST-9", 9}}) {
        const testing::ScopedTimeZone zone{c.zone};
        const Bytes bytes = HFSPlusVolumeHeader(2048, "Untitled", 512, kMay2024).dataBlock();
        EXPECT_EQ(Bytes(bytes.begin() + 16, bytes.begin() + 20),
                  Bytes(ByteBuilder().u32(kMay2024Stored + c.hoursAheadOfGMT * 3600)))
            << c.zone;
        const HFSPlusVolumeHeader read{ImageBytes(bytes)};
        EXPECT_EQ(read.createDate, kMay2024) << c.zone;
        EXPECT_EQ(read.modifyDate, kMay2024) << c.zone;
        EXPECT_EQ(read.dataBlock(), bytes) << c.zone;
    }
}

TEST(HFSPlusVolumeHeader, BlocksForANewVolume) {
    const std::map<int64_t, Bytes> blocks = HFSPlusVolumeHeader::blocksForNewVolume(2048, "Untitled", 512, kMay2024);
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_TRUE(blocks.contains(2));
    ASSERT_TRUE(blocks.contains(2046));
    const Bytes& header = blocks.at(2);
    EXPECT_EQ(blocks.at(2046), header);
    ASSERT_EQ(header.size(), 512u);
    EXPECT_EQ(Bytes(header.begin(), header.begin() + 12),
              (Bytes{0x48, 0x2B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x38, 0x2E, 0x31, 0x30}));
    EXPECT_EQ(Bytes(header.begin() + 40, header.begin() + 48), (Bytes{0, 0, 2, 0, 0, 0, 8, 0}));
    EXPECT_EQ(Bytes(header.begin() + 68, header.begin() + 72), (Bytes{0, 0, 0, 1}));
    EXPECT_EQ(Bytes(header.begin() + 112, header.end()), Bytes(400, 0));

    // The name changes nothing.
    for (const char* name : {"", "Macintosh HD", "caf\xC3\xA9", "\xFF"}) {
        EXPECT_EQ(HFSPlusVolumeHeader::blocksForNewVolume(2048, name, 512, kMay2024), blocks) << name;
    }
}

TEST(HFSPlusVolumeHeader, BlankVolumeSizes) {
    struct SizeCase {
        int64_t blocks;
        std::vector<int64_t> keys;  // empty: refused
    };
    const std::vector<SizeCase> cases = {
        {-1, {}}, {0, {}}, {1, {}}, {3, {}}, {4, {2}}, {5, {2, 3}}, {0xFFFFFFFF, {2, 0xFFFFFFFD}}, {0x100000000, {}},
    };
    for (const auto& c : cases) {
        if (c.keys.empty()) {
            try {
                HFSPlusVolumeHeader::blocksForNewVolume(c.blocks, "Untitled", 512, kMay2024);
                ADD_FAILURE() << c.blocks << " accepted";
            } catch (const HFSPlusVolumeHeaderError& error) {
                EXPECT_EQ(error.errorCase, Case::invalidVolumeSize);
                EXPECT_EQ(error.payload, c.blocks);
            }
            continue;
        }
        std::vector<int64_t> keys;
        for (const auto& [key, bytes] : HFSPlusVolumeHeader::blocksForNewVolume(c.blocks, "Untitled", 512, kMay2024)) {
            keys.push_back(key);
            EXPECT_EQ(bytes.size(), 512u);
        }
        EXPECT_EQ(keys, c.keys) << c.blocks;
    }
}

TEST(HFSPlusVolumeHeader, BlankDatesPast2040AreClamped) {
    const HFSPlusVolumeHeader header(100, "Untitled", 512, Date{4000000000LL});
    const Bytes bytes = header.dataBlock();
    EXPECT_EQ(Bytes(bytes.begin() + 16, bytes.begin() + 32), Bytes(16, 0xFF));
}

TEST(HFSPlusVolumeHeader, UnformattedAndForeignBlocksAreRefused) {
    testing::expectError<HFSPlusVolumeHeaderError>(Case::unformattedPartition,
                                                   [&] { HFSPlusVolumeHeader{ImageBytes(Bytes(512, 0))}; });
    testing::expectError<HFSPlusVolumeHeaderError>(Case::unformattedPartition,
                                                   [&] { HFSPlusVolumeHeader{ImageBytes()}; });
    testing::expectError<HFSPlusVolumeHeaderError>(Case::unformattedPartition,
                                                   [&] { HFSPlusVolumeHeader{ImageBytes(Bytes(100, 0))}; });

    for (const Bytes& signature : {Bytes{0x48, 0x58}, Bytes{0x42, 0x44}, Bytes{0x2B, 0x48}, Bytes{0, 1}}) {
        Bytes block(512, 0);
        block[0] = signature[0];
        block[1] = signature[1];
        testing::expectError<HFSPlusVolumeHeaderError>(Case::invalidVolumeHeaderPartitionSignature,
                                                       [&] { HFSPlusVolumeHeader{ImageBytes(block)}; });
    }
}

TEST(HFSPlusVolumeHeader, ShortOrUnrepresentableHeadersAreRefused) {
    const Bytes blank = HFSPlusVolumeHeader(100, "", 512, kMay2024).dataBlock();
    EXPECT_THROW(HFSPlusVolumeHeader(ImageBytes(Bytes{0x48})), ReadPastEndError);
    for (const size_t length : {2u, 111u, 511u}) {
        EXPECT_THROW(HFSPlusVolumeHeader(ImageBytes(Bytes(blank.begin(), blank.begin() + length))), ReadPastEndError)
            << length;
    }
    Bytes hugeBitmap = blank;
    hugeBitmap[72] = 0x80;
    EXPECT_THROW(HFSPlusVolumeHeader(ImageBytes(hugeBitmap)), ValueOutOfRangeError);
    Bytes hugeFork = blank;
    hugeFork[272] = 0xFF;  // the catalog file's logical size
    EXPECT_THROW(HFSPlusVolumeHeader(ImageBytes(hugeFork)), ValueOutOfRangeError);
}

TEST(HFSPlusVolumeHeader, AllocationBlockSizes) {
    for (const int64_t size : {512, 1024, 4096, 65536, 1 << 30}) {
        EXPECT_TRUE(HFSPlusVolumeHeader::isValidAllocationBlockSize(size)) << size;
    }
    for (const int64_t size : {0, -512, 1, 256, 511, 513, 1536, 4095, 0x7FFFFFFF}) {
        EXPECT_FALSE(HFSPlusVolumeHeader::isValidAllocationBlockSize(size)) << size;
    }
    // A header carries any size, 0 included: the volume refuses it.
    Bytes block = HFSPlusVolumeHeader(100, "", 512, kMay2024).dataBlock();
    block[42] = 0;
    block[43] = 0;
    const HFSPlusVolumeHeader header{ImageBytes(block)};
    EXPECT_EQ(header.blockSize, 0);
    EXPECT_EQ(header.dataBlock(), block);
}

TEST(HFSPlusVolumeHeader, ReadsARealVolume) {
    const auto volume = testing::corpusImage("hfsplus/dfvfs-hfsplus.raw");
    if (!volume) GTEST_SKIP() << "corpus volume hfsplus/dfvfs-hfsplus.raw is absent";
    const ImageBytes block = headerOf(*volume);
    const testing::ScopedTimeZone zone{"UTC"};
    const HFSPlusVolumeHeader header(block);

    EXPECT_EQ(header.signature, (Bytes{'H', '+'}));
    EXPECT_EQ(header.version, 4);
    EXPECT_EQ(header.attributes, HFSPlusVolumeHeader::VolumeAttributes(0x80000100));
    EXPECT_EQ(header.lastMountedVersion, 0x31302E30);  // "10.0"
    EXPECT_EQ(header.fileCount, 8);
    EXPECT_EQ(header.folderCount, 4);
    EXPECT_EQ(header.blockSize, 4096);
    EXPECT_EQ(header.totalBlocks, 1014);
    EXPECT_EQ(header.freeBlocks, 971);
    EXPECT_EQ(header.finderInfo[0], 0);
    EXPECT_EQ(header.finderInfo[6], 3350013387);
    // 7-Zip lists the root folder as created 2022-01-14 07:19:41 GMT. The
    // header's creation date is the one HFS+ date that Mac OS stores in
    // local time; the volume was made on a clock an hour ahead of GMT, and
    // read in GMT it names that wall-clock time (HFSPlusCorpusVolume reads it
    // in the volume's own zone).
    EXPECT_EQ(header.createDate.secondsSince1970, 1642144781 + 3600);

    struct ForkCase {
        const HFSPlusForkDataStucture& fork;
        int64_t logicalSize;
        int64_t totalBlocks;
        HFSPlusExtentDescriptor first;
    };
    for (const auto& c : std::vector<ForkCase>{
             {header.allocationFile, 4096, 1, {1, 1, 4096}},
             {header.extentsFile, 32768, 8, {2, 8, 4096}},
             {header.catalogFile, 32768, 8, {186, 8, 4096}},
             {header.attributesFile, 65536, 16, {10, 16, 4096}},
             {header.startupFile, 0, 0, {0, 0, 4096}},
         }) {
        EXPECT_EQ(c.fork.logicalSize, c.logicalSize);
        EXPECT_EQ(c.fork.totalBlocks, c.totalBlocks);
        ASSERT_EQ(c.fork.extents.size(), 8u);
        EXPECT_EQ(c.fork.extents[0], c.first);
        EXPECT_EQ(c.fork.extents[1], HFSPlusExtentDescriptor(0, 0, 4096));
        EXPECT_EQ(c.fork.blockSize, 4096);
    }

    EXPECT_EQ(header.dataBlock(), block.toBytes());
    EXPECT_EQ(header.structureData, block);
    // The alternate header, 1024 bytes before the end, is a header too.
    const HFSPlusVolumeHeader alternate(volume->slice(static_cast<int64_t>(volume->size()) - 1024, 512));
    EXPECT_EQ(alternate.totalBlocks, header.totalBlocks);
}

TEST(HFSPlusVolumeHeader, ReadsTheUtilLinuxVolume) {
    const auto volume = testing::corpusImage("hfsplus/util-linux-hfsplus.img.xz");
    if (!volume) GTEST_SKIP() << "corpus volume hfsplus/util-linux-hfsplus.img.xz is absent, or xz is";
    const ImageBytes block = headerOf(*volume);
    const HFSPlusVolumeHeader header(block);

    // blkid reports FS_BLOCK_SIZE=4096; the volume is 10 MiB.
    EXPECT_EQ(header.blockSize, 4096);
    EXPECT_EQ(header.totalBlocks, 2560);
    EXPECT_EQ(header.freeBlocks, 2517);
    EXPECT_EQ(header.fileCount, 0);
    EXPECT_EQ(header.folderCount, 0);
    EXPECT_EQ(header.dataBlock(), block.toBytes());
}

TEST(HFSPlusVolumeHeader, EveryPrefixOfARealHeaderFailsCleanly) {
    const auto volume = testing::corpusImage("hfsplus/dfvfs-hfsplus.raw");
    if (!volume) GTEST_SKIP() << "corpus volume hfsplus/dfvfs-hfsplus.raw is absent";
    const ImageBytes block = headerOf(*volume);
    for (int64_t length = 0; length < HFSPlusVolumeHeader::size; ++length) {
        EXPECT_EQ(testing::hfsplus::outcomeOf([&] { HFSPlusVolumeHeader header(block.slice(0, length)); }),
                  testing::hfsplus::Outcome::refused)
            << length;
    }
}

TEST(HFSPlusVolumeHeader, VolumeAttributesAreAnOptionSet) {
    using Attributes = HFSPlusVolumeHeader::VolumeAttributes;
    const Attributes unmounted(0x100);
    const Attributes journaled(0x2000);
    Attributes set{unmounted, journaled};
    EXPECT_EQ(set.rawValue, 0x2100);
    EXPECT_TRUE(set.contains(unmounted));
    set.remove(unmounted);
    EXPECT_FALSE(set.contains(unmounted));
    EXPECT_EQ(set, journaled);
    EXPECT_EQ((unmounted | journaled) & journaled, journaled);
    EXPECT_EQ((unmounted ^ unmounted), Attributes());
    EXPECT_TRUE(Attributes().empty());
    set.insert(unmounted);
    EXPECT_EQ(set.rawValue, 0x2100);
}

}  // namespace
}  // namespace zorv
