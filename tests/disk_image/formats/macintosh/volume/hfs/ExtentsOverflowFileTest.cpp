#include <gtest/gtest.h>

#include <unordered_set>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/ExtentsOverflowFile.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv {
namespace {

using testing::BTreeFileBuilder;
using testing::ByteBuilder;

// An extents leaf record as stored: 7, fork type, file number, start block,
// then the extent record.
Bytes extentsRecord(int64_t forkType, int64_t fileNumber, int64_t startBlock, const Bytes& extents) {
    return ByteBuilder().u8(7).u8(forkType).u32(fileNumber).u16(startBlock).bytes(extents);
}

Bytes threeExtents(int64_t a, int64_t b, int64_t c) { return ByteBuilder().u16(a).u16(1).u16(b).u16(2).u16(c).u16(3); }

ExtentsRecord fromStored(const Bytes& stored) {
    return ExtentsRecord(BTreeNodeRecord(ImageBytes(stored), false, std::nullopt));
}

TEST(ExtentsRecord, KeysCompareByForkFileAndStartBlock) {
    const ExtKeyRec key(7, 0x00, 25, 3);
    EXPECT_EQ(key, ExtKeyRec(9, 0x00, 25, 3));
    EXPECT_EQ(std::hash<ExtKeyRec>()(key), std::hash<ExtKeyRec>()(ExtKeyRec(9, 0x00, 25, 3)));
    EXPECT_FALSE(key == ExtKeyRec(7, 0xFF, 25, 3));
    EXPECT_FALSE(key == ExtKeyRec(7, 0x00, 26, 3));
    EXPECT_FALSE(key == ExtKeyRec(7, 0x00, 25, 4));
    const std::unordered_set<ExtKeyRec> keys{key, ExtKeyRec(9, 0, 25, 3), ExtKeyRec(7, 0xFF, 25, 3)};
    EXPECT_EQ(keys.size(), 2u);

    EXPECT_EQ(ExtKeyRec(7, 0xFF, 16, 3).keyOnly(), (Bytes{0xFF, 0, 0, 0, 0x10, 0, 3}));
    EXPECT_EQ(ExtKeyRec(7, 0xFF, 16, 3).dataBlock(), (Bytes{7, 0xFF, 0, 0, 0, 0x10, 0, 3}));
    EXPECT_EQ(ExtKeyRec(7, 0xFF, 16, 3).dataBlockArray().size(), 4u);
}

TEST(ExtentsRecord, ReadsThreeExtentsAfterTheKey) {
    const Bytes stored = extentsRecord(0xFF, 16, 3, threeExtents(100, 200, 300));
    const ExtentsRecord record = fromStored(stored);
    EXPECT_EQ(record.key, ExtKeyRec(7, 0xFF, 16, 3));
    EXPECT_EQ(record.key.xkrFkType, 0xFF);
    EXPECT_EQ(record.record.records,
              (std::vector<ExtDescriptor>{ExtDescriptor(100, 1), ExtDescriptor(200, 2), ExtDescriptor(300, 3)}));
    EXPECT_EQ(record.dataBlock(), stored);
    EXPECT_EQ(record.record.dataBlock(), threeExtents(100, 200, 300));

    const ExtentsRecord trailing = fromStored(ByteBuilder().bytes(stored).u16(0xABCD));
    EXPECT_EQ(trailing.record.records, record.record.records) << "bytes after 12 are ignored";

    const ExtentsRecord empty = fromStored(extentsRecord(0, 16, 0, {}));
    EXPECT_TRUE(empty.record.records.empty());
    EXPECT_EQ(empty.dataBlock(), (Bytes{7, 0, 0, 0, 0, 16, 0, 0}));

    // A longer, even key has a pad byte before its extents.
    const ExtentsRecord evenKey =
        fromStored(ByteBuilder().u8(8).u8(0).u32(16).u16(0).u8(0xEE).u8(0).bytes(threeExtents(1, 2, 3)));
    EXPECT_EQ(evenKey.record.records[2], ExtDescriptor(3, 3));
}

TEST(ExtentsRecord, ShortKeysAndExtentRecordsAreRefused) {
    EXPECT_THROW(fromStored(ByteBuilder().u8(5).u8(0).u32(16)), ReadPastEndError);
    EXPECT_THROW(fromStored(extentsRecord(0, 16, 0, Bytes(11, 1))), ReadPastEndError);
}

TEST(ExtentsOverflowFile, KeepsLiveRecordsInChainOrder) {
    BTreeFileBuilder builder;
    builder.maxKeyLength = 7;
    const Bytes deleted = ByteBuilder().u8(0).zeros(19);
    const Bytes shortRecord = extentsRecord(0, 30, 0, Bytes(5, 1));
    builder.addLeafChain({{extentsRecord(0, 20, 3, threeExtents(1, 2, 3)), deleted, shortRecord},
                          {extentsRecord(0xFF, 21, 6, threeExtents(4, 5, 6))}});
    const ExtentsOverflowFile file(ImageBytes(builder.build()), 512);
    ASSERT_EQ(file.leaves.size(), 2u);
    EXPECT_EQ(file.leaves[0].key, ExtKeyRec(7, 0, 20, 3));
    EXPECT_EQ(file.leaves[1].key, ExtKeyRec(7, 0xFF, 21, 6));
    EXPECT_EQ(file.leaves[1].record.records[0], ExtDescriptor(4, 1));
}

TEST(ExtentsOverflowFile, AFileWithoutLiveRecordsIsEmpty) {
    const Bytes deleted = ByteBuilder().u8(0).zeros(19);
    BTreeFileBuilder onlyDeleted;
    onlyDeleted.addLeafChain({{deleted, deleted}});
    BTreeFileBuilder noLeaves;
    BTreeFileBuilder damaged;
    damaged.addLeafChain({{extentsRecord(0, 20, 3, threeExtents(1, 2, 3))}});
    damaged.firstLeafNode = 40;

    for (const Bytes& bytes : {onlyDeleted.build(), noLeaves.build(), damaged.build()}) {
        EXPECT_TRUE(ExtentsOverflowFile(ImageBytes(bytes), 512).leaves.empty());
    }
    EXPECT_THROW(ExtentsOverflowFile(ImageBytes(Bytes(511, 0)), 512), BlockStructureDefinableError);
}

}  // namespace
}  // namespace zorv
