// The extents overflow file of HFS+: its keys and records as the B-tree
// reader hands them over, and the lookup the volume follows forks with.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentsOverflowFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusTestImages.hpp"
#include "support/BTreeFileBuilder.hpp"

namespace zorv {
namespace {

using testing::BTreeFileBuilder;
using testing::ByteBuilder;
using ForkType = HFSPlusExtentsOverflowFileKey::ForkType;
using FileData = HFSPlusExtentsOverflowRecord::HFSPlusExtentsOverflowFileData;

ByteBuilder keyBytes(int64_t forkByte, int64_t fileID, int64_t startBlock, int64_t keyLength = 10, int64_t pad = 0) {
    return ByteBuilder().u16(keyLength).u8(forkByte).u8(pad).u32(fileID).u32(startBlock);
}

// Eight extents (first + 10i, i + 1).
ByteBuilder eightExtents(int64_t first) {
    ByteBuilder body;
    for (int64_t i = 0; i < 8; ++i) body.u32(first + 10 * i).u32(i + 1);
    return body;
}

// A leaf record as it lies in its node: the key (length field included),
// then the 64-byte body.
Bytes leafRecord(const ByteBuilder& key, const ByteBuilder& body) { return ByteBuilder().bytes(key).bytes(body); }

// An extents B-tree of 512-byte nodes whose leaves hold `leaves`.
ImageBytes extentsTree(const std::vector<std::vector<Bytes>>& leaves) {
    BTreeFileBuilder tree;
    tree.maxKeyLength = 10;
    tree.attributes = 2;  // big keys, fixed-length index keys
    tree.addLeafChain(leaves);
    return ImageBytes(tree.build());
}

TEST(HFSPlusExtentsOverflowFileKey, DecodesEachForkType) {
    struct Case {
        int64_t forkByte;
        ForkType expected;
    };
    for (const Case& c : std::vector<Case>{{0x00, ForkType::data},
                                           {0xFF, ForkType::resource},
                                           {0x01, ForkType::unknown},
                                           {0x80, ForkType::unknown}}) {
        const HFSPlusExtentsOverflowFileKey key(keyBytes(c.forkByte, 21, 8).image());
        EXPECT_EQ(key.forkType, c.expected) << c.forkByte;
    }
}

TEST(HFSPlusExtentsOverflowFileKey, ForkTypesFromRawValues) {
    EXPECT_EQ(HFSPlusExtentsOverflowFileKey::forkTypeFromRawValue(0), ForkType::data);
    EXPECT_EQ(HFSPlusExtentsOverflowFileKey::forkTypeFromRawValue(255), ForkType::resource);
    EXPECT_EQ(HFSPlusExtentsOverflowFileKey::forkTypeFromRawValue(256), ForkType::unknown);
    for (int64_t other : {1, 254, 257, -1}) {
        EXPECT_FALSE(HFSPlusExtentsOverflowFileKey::forkTypeFromRawValue(other).has_value()) << other;
    }
}

TEST(HFSPlusExtentsOverflowRecord, ReadsAndWritesA76ByteRecord) {
    const Bytes record = leafRecord(keyBytes(0xFF, 21, 8), eightExtents(100));
    ASSERT_EQ(record.size(), 76u);
    const ImageBytes bytes(record);

    const HFSPlusExtentsOverflowFileKey key(bytes.slice(0, 12));
    EXPECT_EQ(key.keyLength, 10);
    EXPECT_EQ(key.forkType, ForkType::resource);
    EXPECT_EQ(key.pad, 0);
    EXPECT_EQ(key.fileID, 21);
    EXPECT_EQ(key.startBlock, 8);
    const FileData body(bytes.sliceFrom(12));
    ASSERT_EQ(body.records.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(body.records[i].startBlock, 100 + 10 * static_cast<int64_t>(i));
        EXPECT_EQ(body.records[i].blockCount, static_cast<int64_t>(i) + 1);
    }
    EXPECT_EQ(body.blockCount(), 36);

    EXPECT_EQ(HFSPlusExtentsOverflowRecord(key, body).dataBlock(), record);
}

TEST(HFSPlusExtentsOverflowFileKey, IdentityIgnoresLengthAndPad) {
    const HFSPlusExtentsOverflowFileKey plain(keyBytes(0x00, 30, 16).image());
    const HFSPlusExtentsOverflowFileKey odd(keyBytes(0x00, 30, 16, 0x1234, 0x7F).image());
    EXPECT_EQ(odd.keyLength, 0x1234);
    EXPECT_EQ(odd.pad, 0x7F);
    EXPECT_EQ(plain, odd);
    EXPECT_EQ(std::hash<HFSPlusExtentsOverflowFileKey>()(plain), std::hash<HFSPlusExtentsOverflowFileKey>()(odd));
    EXPECT_EQ(plain.keyOnly(), (Bytes{0x00, 0, 0, 0, 30, 0, 0, 0, 16}));

    struct Different {
        const char* what;
        HFSPlusExtentsOverflowFileKey key;
    };
    for (const Different& d : std::vector<Different>{{"fork", {ForkType::resource, 30, 16}},
                                                     {"file", {ForkType::data, 31, 16}},
                                                     {"start", {ForkType::data, 30, 17}}}) {
        EXPECT_FALSE(plain == d.key) << d.what;
    }
}

TEST(HFSPlusExtentsOverflowFileKey, UnknownForkTypeWritesAByteThatNamesNoFork) {
    const HFSPlusExtentsOverflowFileKey key(keyBytes(0x42, 5, 0).image());
    EXPECT_EQ(key.forkTypeByte(), HFSPlusExtentsOverflowFileKey::unknownForkTypeByte);
    EXPECT_EQ(key.dataBlock(), Bytes(keyBytes(HFSPlusExtentsOverflowFileKey::unknownForkTypeByte, 5, 0)));
}

TEST(HFSPlusExtentsOverflowRecord, ShortInputIsRefusedInsideItsBytes) {
    EXPECT_THROW(HFSPlusExtentsOverflowFileKey(keyBytes(0, 1, 0).image().slice(0, 11)), ReadPastEndError);
    EXPECT_THROW(FileData(eightExtents(0).image().slice(0, 63)), ReadPastEndError);
}

TEST(HFSPlusExtentsOverflowFile, ReadsTheLeafChainInOrder) {
    const Bytes first = leafRecord(keyBytes(0x00, 20, 8), eightExtents(100));
    const Bytes second = leafRecord(keyBytes(0xFF, 20, 8), eightExtents(200));
    const Bytes third = leafRecord(keyBytes(0x00, 21, 8), eightExtents(300));
    const HFSPlusExtentsOverflowFile file(extentsTree({{first, second}, {third}}), 512);

    ASSERT_EQ(file.leaves.size(), 3u);
    EXPECT_EQ(file.leaves[0].dataBlock(), first);
    EXPECT_EQ(file.leaves[1].dataBlock(), second);
    EXPECT_EQ(file.leaves[2].dataBlock(), third);

    const auto* found = file.recordFor({ForkType::resource, 20, 8});
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->record.records[0].startBlock, 200);
    EXPECT_EQ(file.recordFor({ForkType::resource, 21, 8}), nullptr);
    EXPECT_EQ(file.recordFor({ForkType::data, 20, 9}), nullptr);
}

TEST(HFSPlusExtentsOverflowFile, TheFirstOfTwoEqualKeysIsFound) {
    const HFSPlusExtentsOverflowFile file(
        extentsTree({{leafRecord(keyBytes(0x00, 20, 8), eightExtents(100)),
                      leafRecord(keyBytes(0x00, 20, 8, 10, 1), eightExtents(500))}}),
        512);
    ASSERT_EQ(file.leaves.size(), 2u);
    EXPECT_EQ(file.recordFor({ForkType::data, 20, 8})->record.records[0].startBlock, 100);
}

TEST(HFSPlusExtentsOverflowFile, EmptyTreesAreNoError) {
    BTreeFileBuilder noLeaves;
    noLeaves.maxKeyLength = 10;
    noLeaves.attributes = 2;
    EXPECT_TRUE(HFSPlusExtentsOverflowFile(ImageBytes(noLeaves.build()), 512).leaves.empty());

    BTreeFileBuilder pastTheEnd = noLeaves;
    pastTheEnd.firstLeafNode = 7;
    EXPECT_TRUE(HFSPlusExtentsOverflowFile(ImageBytes(pastTheEnd.build()), 512).leaves.empty());
}

TEST(HFSPlusExtentsOverflowFile, RecordsCutShortAreLeftOut) {
    const Bytes whole = leafRecord(keyBytes(0x00, 20, 8), eightExtents(100));
    const Bytes shortBody(whole.begin(), whole.end() - 8);
    const HFSPlusExtentsOverflowFile file(extentsTree({{shortBody, whole}}), 512);
    ASSERT_EQ(file.leaves.size(), 1u);
    EXPECT_EQ(file.leaves[0].dataBlock(), whole);
}

TEST(HFSPlusExtentsOverflowFile, BytesShorterThanANodeAreRefused) {
    EXPECT_THROW(HFSPlusExtentsOverflowFile(ImageBytes(Bytes(511, 0)), 512), BlockStructureDefinableError);
    EXPECT_THROW(HFSPlusExtentsOverflowFile(ImageBytes(), 4096), BlockStructureDefinableError);
}

}  // namespace
}  // namespace zorv
