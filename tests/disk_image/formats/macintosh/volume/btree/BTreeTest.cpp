#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeNode.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

using testing::BTreeFileBuilder;
using testing::ByteBuilder;

Bytes text(const std::string& value) { return Bytes(value.begin(), value.end()); }

// A record with a readable key ("k" + name) and data ("d" + name), so that a
// test can tell which records came back, and in which order.
Bytes namedRecord(const std::string& name) { return BTreeFileBuilder::keyedRecord(text("k" + name), text("d" + name)); }

std::vector<std::string> keysOf(const std::vector<BTreeNodeRecord>& records) {
    std::vector<std::string> keys;
    for (const auto& record : records) keys.emplace_back(record.recordKey.begin() + 1, record.recordKey.end());
    return keys;
}

std::vector<std::string> names(std::initializer_list<const char*> list) {
    std::vector<std::string> result;
    for (const char* name : list) result.push_back(std::string("k") + name);
    return result;
}

// --- Records -----------------------------------------------------------------

TEST(BTreeNodeRecord, SplitsKeyAndDataByTheTreeKeyOptions) {
    const Bytes key36(36, 'a');
    const Bytes key37(37, 'b');
    const Bytes key6 = text("hfsplu");
    const Bytes data{1, 2, 3};
    struct Case {
        const char* name;
        Bytes record;
        bool hasLongKey;
        std::optional<int64_t> maxKeyLength;
        int64_t keyLength;
        Bytes recordKey;
        Bytes recordData;
    };
    const std::vector<Case> cases{
        {"an even one-byte key length leaves the pad byte in the data",
         ByteBuilder().u8(36).bytes(key36).u8(0).bytes(data), false, std::nullopt, 36,
         ByteBuilder().u8(36).bytes(key36), ByteBuilder().u8(0).bytes(data)},
        {"an odd one-byte key length has no pad byte", ByteBuilder().u8(37).bytes(key37).bytes(data), false,
         std::nullopt, 37, ByteBuilder().u8(37).bytes(key37), data},
        {"two-byte key lengths keep the record's own length", ByteBuilder().u16(6).bytes(key6).bytes(data), true,
         std::nullopt, 6, ByteBuilder().u16(6).bytes(key6), data},
        {"a fixed maximum key length heads every key", ByteBuilder().u16(6).bytes(key6).bytes(data), true, 10, 6,
         ByteBuilder().u16(10).bytes(key6), data},
        {"a key filling the whole record leaves no data",
         ByteBuilder().u8(3).text("abc"),
         false,
         std::nullopt,
         3,
         ByteBuilder().u8(3).text("abc"),
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BTreeNodeRecord record(ImageBytes(c.record), c.hasLongKey, c.maxKeyLength);
        EXPECT_FALSE(record.isDeleted());
        EXPECT_EQ(record.keyLength, c.keyLength);
        EXPECT_EQ(record.recordKey.toBytes(), c.recordKey);
        EXPECT_EQ(record.recordData.toBytes(), c.recordData);
    }
}

TEST(BTreeNodeRecord, AZeroKeyLengthMarksADeletedRecord) {
    for (const bool hasLongKey : {false, true}) {
        const BTreeNodeRecord record(ImageBytes(Bytes{0, 0, 9, 9, 9}), hasLongKey, std::nullopt);
        EXPECT_TRUE(record.isDeleted());
        EXPECT_TRUE(record.recordKey.empty());
        EXPECT_TRUE(record.recordData.empty());
    }
}

TEST(BTreeNodeRecord, KeysRunningPastTheRecordAreRefused) {
    const std::vector<std::pair<Bytes, bool>> cases{
        {ByteBuilder().u8(10).text("short"), false},
        {ByteBuilder().u16(0x100).text("short"), true},
        {Bytes{0x00}, true},  // not even room for the length field
    };
    for (const auto& [bytes, hasLongKey] : cases) {
        testing::expectError<BTreeError>(BTreeError::Case::keyOutsideRecord,
                                         [&] { BTreeNodeRecord(ImageBytes(bytes), hasLongKey, std::nullopt); });
    }
}

// --- Nodes ---------------------------------------------------------------------

BTreeNode parseNode(const Bytes& node, int64_t size = 512) {
    return BTreeNode(ImageBytes(node), size, false, std::nullopt);
}

TEST(BTreeNode, KeepsLiveRecordsInOffsetTableOrder) {
    const Bytes deleted = ByteBuilder().u8(0).text("gone");
    const Bytes bytes = BTreeFileBuilder::node(512, BTreeFileBuilder::leafKind, 7,
                                               {namedRecord("A"), deleted, namedRecord("B"), namedRecord("C")}, 3);
    const BTreeNode node = parseNode(bytes);
    EXPECT_EQ(node.descriptor.fLink, 7);
    EXPECT_EQ(node.descriptor.bLink, 3);
    EXPECT_EQ(node.descriptor.kind, BTreeNodeKind::leaf);
    EXPECT_EQ(node.descriptor.numRecords, 4);
    EXPECT_EQ(keysOf(node.records), names({"A", "B", "C"}));
    EXPECT_EQ(node.records[0].recordData.toBytes(), ByteBuilder().u8(0).text("dA").data()) << "pad byte first";
}

TEST(BTreeNode, SkipsSlotsWithoutARecord) {
    const Bytes records = BTreeFileBuilder::node(512, BTreeFileBuilder::leafKind, 0,
                                                 {namedRecord("A"), namedRecord("B"), namedRecord("C")});
    BTreeFileBuilder builder;
    const int64_t number = builder.addNode(records);

    builder.setOffset(number, 0, 0);  // first start 0
    EXPECT_EQ(keysOf(parseNode(builder.nodes[1]).records), names({"B", "C"}));

    builder.nodes[1] = records;
    builder.setOffset(number, 2, 512 - 8);  // C's start at the free-space offset: C is empty
    EXPECT_EQ(keysOf(parseNode(builder.nodes[1]).records), names({"A", "B"}));

    builder.nodes[1] = records;
    builder.setOffset(number, 1, 200);  // B starts after C's start: A runs to 200, B is skipped
    const auto kept = parseNode(builder.nodes[1]).records;
    EXPECT_EQ(keysOf(kept), names({"A", "C"}));
    EXPECT_EQ(kept[0].recordData.size(), 200u - 14u - 3u);

    EXPECT_TRUE(parseNode(BTreeFileBuilder::node(512, 0, 5, {})).records.empty());
}

TEST(BTreeNode, RefusesNodesWhoseTablesOrRecordsLeaveTheNode) {
    const Bytes good = BTreeFileBuilder::node(512, BTreeFileBuilder::leafKind, 0, {namedRecord("A")});
    Bytes tooManyRecords = good;
    tooManyRecords[10] = 0x00;
    tooManyRecords[11] = 250;  // 14 + 2 * 251 bytes do not fit 512
    Bytes endPastNode = good;
    endPastNode[508] = 0x02;  // free-space offset 600
    endPastNode[509] = 0x58;

    testing::expectError<BTreeError>(BTreeError::Case::nodeTooSmall, [&] { parseNode(good, 13); });
    testing::expectError<BTreeError>(BTreeError::Case::nodeTooSmall, [&] { parseNode(good, 1024); });
    testing::expectError<BTreeError>(BTreeError::Case::nodeTooSmall, [&] { parseNode(tooManyRecords); });
    testing::expectError<BTreeError>(BTreeError::Case::recordOutsideNode, [&] { parseNode(endPastNode); });
    EXPECT_EQ(parseNode(good).records.size(), 1u);
}

// --- Trees ---------------------------------------------------------------------

TEST(BTree, RefusesBytesShorterThanOneBlockOrTheHeaderNode) {
    const std::vector<std::pair<int64_t, int64_t>> sizesAndBlocks{{511, 512},   {0, 512},   {1024, 0},
                                                                  {1024, -512}, {300, 256}, {1023, 1024}};
    for (const auto& [size, blockSize] : sizesAndBlocks) {
        SCOPED_TRACE(std::to_string(size) + " bytes in blocks of " + std::to_string(blockSize));
        testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock, [&] {
            BTree(ImageBytes(Bytes(static_cast<size_t>(size), 0)), blockSize);
        });
    }
}

TEST(BTree, ReadsTheHeaderNodeAndCountsInNodes) {
    BTreeFileBuilder builder;
    builder.nodeSize = 1024;
    builder.maxKeyLength = 516;
    builder.attributes = 0x6;
    builder.addLeafChain({{namedRecord("A")}});
    Bytes bytes = builder.build();
    bytes.resize(bytes.size() + 700, 0);  // a partial node at the end

    const BTree tree(ImageBytes(bytes), 512);
    const BTreeHeaderRecord& header = tree.headerNode.headerRecord;
    EXPECT_EQ(tree.headerNode.descriptor.kind, BTreeNodeKind::header);
    EXPECT_EQ(header.nodeSize, 1024);
    EXPECT_EQ(header.maxKeyLength, 516);
    EXPECT_EQ(header.firstLeafNode, 1);
    EXPECT_EQ(header.totalNodes, 2);
    EXPECT_TRUE(header.attributes.contains(BTreeHeaderRecord::BTreeHeaderAttribute::bigKeys));
    EXPECT_TRUE(header.attributes.isSuperset(BTreeHeaderRecord::BTreeHeaderAttribute::variableIndexKeys));
    EXPECT_FALSE(header.attributes.contains(BTreeHeaderRecord::BTreeHeaderAttribute::badClose));
    EXPECT_EQ(tree.headerNode.recordOffsets, (std::array<int64_t, 4>{504, 248, 120, 14}));
    EXPECT_EQ(tree.blockSize, 1024);
    EXPECT_EQ(tree.sizeInBlocks(), 2);
}

TEST(BTree, YieldsLeafRecordsInChainOrder) {
    BTreeFileBuilder builder;
    const int64_t third = builder.addLeaf({namedRecord("E")});
    const int64_t first = builder.addLeaf({namedRecord("A"), namedRecord("B")});
    const int64_t empty = builder.addLeaf({});
    const int64_t second = builder.addLeaf({namedRecord("C"), namedRecord("D")}, third);
    builder.addNode(BTreeFileBuilder::node(512, BTreeFileBuilder::indexKind, 0, {namedRecord("index")}));
    builder.nodes[static_cast<size_t>(first)] =
        BTreeFileBuilder::node(512, BTreeFileBuilder::leafKind, empty, {namedRecord("A"), namedRecord("B")});
    builder.nodes[static_cast<size_t>(empty)] = BTreeFileBuilder::node(512, BTreeFileBuilder::leafKind, second, {});
    builder.firstLeafNode = first;

    const BTree tree(ImageBytes(builder.build()), 512);
    EXPECT_EQ(keysOf(tree.leafNodeRecords()), names({"A", "B", "C", "D", "E"}));
    EXPECT_EQ(keysOf(tree.leafNodeRecords()), keysOf(tree.checkedLeafNodeRecords()));
}

TEST(BTree, FollowsTheChainWhateverKindItsNodesClaim) {
    BTreeFileBuilder builder;
    builder.addLeafChain({{namedRecord("A")}, {namedRecord("B")}});
    builder.nodes[1] = BTreeFileBuilder::node(512, BTreeFileBuilder::indexKind, 2, {namedRecord("A")});
    builder.nodes[1][8] = 0x7F;  // not a known kind: read as a header node, still walked

    const BTree tree(ImageBytes(builder.build()), 512);
    EXPECT_EQ(keysOf(tree.leafNodeRecords()), names({"A", "B"}));
}

TEST(BTree, AnEmptyTreeHasNoRecords) {
    BTreeFileBuilder builder;
    builder.addLeaf({namedRecord("orphan")});
    builder.firstLeafNode = 0;
    EXPECT_TRUE(BTree(ImageBytes(builder.build()), 512).leafNodeRecords().empty());
}

TEST(BTree, KeyOptionsComeFromTheHeaderAttributes) {
    struct Case {
        uint32_t attributes;
        Bytes expectedKey;
        Bytes expectedData;
    };
    const Bytes ownKey = text("key!");
    const Bytes padded = ByteBuilder().u8(0).text("data");
    const std::vector<Case> cases{
        {0x0, ByteBuilder().u8(4).bytes(ownKey), padded},
        {0x2 | 0x4, ByteBuilder().u16(4).bytes(ownKey), text("data")},
        {0x2, ByteBuilder().u16(10).bytes(ownKey), text("data")},
        {0x4, ByteBuilder().u8(4).bytes(ownKey), padded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        const bool longKey = (c.attributes & 0x2) != 0;
        BTreeFileBuilder builder;
        builder.nodeSize = 4096;
        builder.attributes = c.attributes;
        builder.maxKeyLength = 10;
        builder.addLeafChain({{BTreeFileBuilder::keyedRecord(ownKey, text("data"), longKey)}});
        const auto records = BTree(ImageBytes(builder.build()), 512).leafNodeRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].keyLength, 4);
        EXPECT_EQ(records[0].recordKey.toBytes(), c.expectedKey);
        EXPECT_EQ(records[0].recordData.toBytes(), c.expectedData);
    }
}

// A record read again from its span is the record the walk read: sliced in
// place, with a key rebuilt to its fixed length, or copied where the file's
// pieces split it.
TEST(BTree, ARecordReadFromItsSpanIsTheOneTheWalkRead) {
    for (const uint32_t attributes : {0x0u, 0x2u | 0x4u, 0x2u}) {
        const bool longKey = (attributes & 0x2) != 0;
        BTreeFileBuilder builder;
        builder.attributes = attributes;
        builder.maxKeyLength = 10;
        builder.addLeafChain({{BTreeFileBuilder::keyedRecord(text("one"), text("first data"), longKey),
                               BTreeFileBuilder::keyedRecord(text("two!"), text("second"), longKey)}});
        const Bytes file = builder.build();
        // Whole, and in two pieces split inside the leaf's first record.
        const size_t split = 512 + 14 + 3;
        const ImageBytes head(Bytes(file.begin(), file.begin() + split));
        const ImageBytes tail(Bytes(file.begin() + split, file.end()));
        const std::vector<std::vector<ImageBytes>> layouts{{ImageBytes(file)}, {head, tail}};
        for (const auto& pieces : layouts) {
            SCOPED_TRACE(std::to_string(attributes) + ", " + std::to_string(pieces.size()) + " pieces");
            const BTree tree(pieces, 512);
            const auto records = tree.checkedLeafNodeRecords();
            const auto spans = tree.checkedLeafRecordSpans();
            ASSERT_EQ(spans.size(), records.size());
            for (size_t index = 0; index < spans.size(); ++index) {
                const BTreeNodeRecord again = tree.recordAt(spans[index]);
                EXPECT_EQ(again.keyLength, records[index].keyLength);
                EXPECT_EQ(again.recordKey.toBytes(), records[index].recordKey.toBytes());
                EXPECT_EQ(again.recordData.toBytes(), records[index].recordData.toBytes());
            }
        }
    }
}

void link(BTreeFileBuilder& builder, int64_t node, int64_t to) {
    Bytes& bytes = builder.nodes[static_cast<size_t>(node)];
    for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(to >> (24 - 8 * i));
}

// A chain that leaves the tree's whole nodes, or comes back to a node already
// read, ends there: the records read before that link are kept.
TEST(BTree, ChainsEndAtALinkOutsideTheTreeOrBackToANodeRead) {
    struct Case {
        const char* name;
        std::function<void(BTreeFileBuilder&)> damage;
        std::function<void(Bytes&)> cut;
        std::vector<std::string> expected;
    };
    const auto none = [](Bytes&) {};
    const auto unchanged = [](BTreeFileBuilder&) {};
    const std::vector<Case> cases{
        {"the third leaf lies beyond the bytes", [](BTreeFileBuilder& b) { link(b, 2, 9); }, none, names({"A", "B"})},
        {"the last leaf is cut short", unchanged, [](Bytes& bytes) { bytes.resize(bytes.size() - 1); },
         names({"A", "B"})},
        {"the first leaf is far beyond the bytes", [](BTreeFileBuilder& b) { b.firstLeafNode = 0xFFFFFFFF; }, none,
         {}},
        {"the chain comes back to its first leaf", [](BTreeFileBuilder& b) { link(b, 3, 1); }, none,
         names({"A", "B", "C"})},
        {"the last leaf links to itself", [](BTreeFileBuilder& b) { link(b, 3, 3); }, none, names({"A", "B", "C"})},
        {"a leaf links to itself", [](BTreeFileBuilder& b) { link(b, 2, 2); }, none, names({"A", "B"})},
        {"a node size of 0", [](BTreeFileBuilder& b) { b.nodeSize = 0; }, none, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BTreeFileBuilder builder;
        builder.addLeafChain({{namedRecord("A")}, {namedRecord("B")}, {namedRecord("C")}});
        c.damage(builder);
        Bytes bytes = builder.build();
        c.cut(bytes);
        const BTree tree(ImageBytes(bytes), 512);
        EXPECT_EQ(keysOf(tree.leafNodeRecords()), c.expected);
        EXPECT_EQ(keysOf(tree.checkedLeafNodeRecords()), c.expected);
        EXPECT_EQ(tree.checkedLeafRecordSpans().size(), c.expected.size());
    }
}

// A node of the chain that cannot be read inside its bytes gives nothing,
// the records of the nodes read before it included.
TEST(BTree, DamagedNodesGiveNoRecords) {
    struct Case {
        const char* name;
        std::function<void(BTreeFileBuilder&)> damage;
        BTreeError::Case expected;
    };
    const std::vector<Case> cases{
        {"a node size smaller than a descriptor", [](BTreeFileBuilder& b) { b.nodeSize = 10; },
         BTreeError::Case::nodeTooSmall},
        {"a node size too small for the offset table", [](BTreeFileBuilder& b) { b.nodeSize = 16; },
         BTreeError::Case::nodeTooSmall},
        {"a record ends past its node", [](BTreeFileBuilder& b) { b.setOffset(2, 1, 513); },
         BTreeError::Case::recordOutsideNode},
        {"a key runs past its record", [](BTreeFileBuilder& b) { b.nodes[2][14] = 200; },
         BTreeError::Case::keyOutsideRecord},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BTreeFileBuilder builder;
        builder.addLeafChain({{namedRecord("A")}, {namedRecord("B")}, {namedRecord("C")}});
        c.damage(builder);
        const BTree tree(ImageBytes(builder.build()), 512);
        EXPECT_TRUE(tree.leafNodeRecords().empty());
        testing::expectError<BTreeError>(c.expected, [&] { tree.checkedLeafNodeRecords(); });
    }
}

}  // namespace
}  // namespace zorv
