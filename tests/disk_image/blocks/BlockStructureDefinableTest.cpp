#include <gtest/gtest.h>

#include <numeric>

#include "disk_image/blocks/BlockStructureDefinable.hpp"

namespace zorv {
namespace {

struct Image : BlockStructureDefinable {
    Image(int64_t blockSize, Bytes bytes) : BlockStructureDefinable(blockSize, ImageBytes(std::move(bytes))) {}
};

Bytes counting(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i / 512 + 1);
    return bytes;
}

template <typename F>
void expectUnreachable(F&& call) {
    try {
        call();
        ADD_FAILURE() << "expected unreacheableBlock";
    } catch (const BlockStructureDefinableError& error) {
        EXPECT_EQ(error.errorCase, BlockStructureDefinableError::Case::unreacheableBlock);
        EXPECT_STREQ(error.what(), "unreacheableBlock");
    }
}

TEST(BlockStructureDefinable, OnlyWholeBlocksAreAddressable) {
    const Image image(512, counting(1000));
    EXPECT_EQ(image.sizeInBytes(), 1000);
    EXPECT_EQ(image.sizeInBlocks(), 1);
    EXPECT_EQ(image.getBlockAtPosition(0, 1).size(), 512u);
    expectUnreachable([&] { image.getBlockAtPosition(1, 1); });
    EXPECT_EQ(image.getBlockAtPosition(1, 0).size(), 0u) << "an empty range at the end is fine";
}

TEST(BlockStructureDefinable, BadRangesAreRefusedNotWrapped) {
    const Image image(512, counting(4096));
    expectUnreachable([&] { image.getBlockAtPosition(-1, 1); });
    expectUnreachable([&] { image.getBlockAtPosition(0, -1); });
    expectUnreachable([&] { image.getBlockAtPosition(INT64_MAX, 2); });
    expectUnreachable([&] { image.getBlockAtPosition(2, INT64_MAX); });
    expectUnreachable([&] { image.bytePosition(INT64_MAX / 2); });
    const Image zero(0, counting(4096));
    EXPECT_EQ(zero.sizeInBlocks(), 0);
    expectUnreachable([&] { zero.getBlockAtPosition(0, 1); });
}

TEST(BlockStructureDefinable, BlockListsAndGroups) {
    const Image image(512, counting(4 * 512));
    EXPECT_TRUE(image.getBlockArray({}).empty());
    const auto blocks = image.getBlockArray({3, 0});
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0][0], 4);
    EXPECT_EQ(blocks[1][0], 1);
    expectUnreachable([&] { image.getBlockArray({0, 4}); });

    const ImageBytes twice = image.getGroupedBlocks({3, 3});
    ASSERT_EQ(twice.size(), 1024u);
    EXPECT_EQ(twice[0], 4);
    EXPECT_EQ(twice[512], 4);
    const ImageBytes run = image.getGroupedBlocks({1, 2});
    EXPECT_EQ(run.data(), image.structureData.data() + 512) << "a consecutive run is a slice, not a copy";
    EXPECT_EQ(image.getGroupedBlocks({}).size(), 0u);
}

TEST(BlockStructureDefinable, PresenceOfData) {
    const Image image(512, counting(1024));
    EXPECT_TRUE(image.validatePresenceOfData(Bytes{1, 1}, 0));
    EXPECT_TRUE(image.validatePresenceOfData(Bytes{1, 2}, 511));
    EXPECT_FALSE(image.validatePresenceOfData(Bytes{2, 2}, 0));
    EXPECT_TRUE(image.validatePresenceOfData(Bytes{}, 0));
    EXPECT_TRUE(image.validatePresenceOfData(Bytes{}, 1024));
    EXPECT_FALSE(image.validatePresenceOfData(Bytes{2, 2}, 1023)) << "the range leaves the buffer";
    EXPECT_FALSE(image.validatePresenceOfData(Bytes{1}, -1));
}

TEST(BlockStructureDefinable, PaddedTo32K) {
    EXPECT_EQ(Image(512, Bytes(32768, 1)).paddedTo32K().size(), 65536u);
    EXPECT_EQ(Image(512, Bytes(1, 1)).paddedTo32K().size(), 32768u);
    const Bytes empty = Image(512, Bytes{}).paddedTo32K();
    EXPECT_EQ(empty, Bytes(32768, 0));
}

TEST(BlockStructureDefinable, InitLogicalBlock) {
    Image image(512, Bytes(4 * 512, 0xEE));
    const Bytes ten(10, 0x11);
    image.initLogicalBlock(2, ten, 1);
    EXPECT_EQ(image.structureData.slice(1024, 10), ten);
    EXPECT_EQ(image.structureData.slice(1034, 502), Bytes(502, 0));
    EXPECT_EQ(image.structureData[1536], 0xEE);

    Image other(512, Bytes(4 * 512, 0xEE));
    other.initLogicalBlock(2, ten);
    EXPECT_EQ(other.structureData.slice(1034, 502), Bytes(502, 0xEE));

    // Ranges outside the buffer change nothing and never grow it.
    const Bytes before = other.structureData.toBytes();
    expectUnreachable([&] { other.initLogicalBlock(3, Bytes(513, 1)); });
    expectUnreachable([&] { other.initLogicalBlock(3, ten, 2); });
    expectUnreachable([&] { other.initLogicalBlock(-1, ten); });
    EXPECT_EQ(other.structureData, before);
}

TEST(BlockStructureDefinable, AppendEmptyBlocks) {
    Image image(512, Bytes(1024, 1));
    const ImageBytes earlier = image.getBlockAtPosition(0, 2);
    image.appendEmptyBlocks(0);
    EXPECT_EQ(image.sizeInBlocks(), 2);
    image.appendEmptyBlocks(3);
    EXPECT_EQ(image.sizeInBytes(), 1024 + 1536);
    EXPECT_EQ(image.sizeInBlocks(), 5);
    EXPECT_EQ(image.getBlockAtPosition(4, 1), Bytes(512, 0));
    EXPECT_EQ(earlier, Bytes(1024, 1)) << "blocks read before keep their bytes";
    expectUnreachable([&] { image.appendEmptyBlocks(-1); });
}

TEST(BlockStructureDefinable, BlockSizeIsTheConformersOwn) {
    const Image header(4096, Bytes(3 * 4096, 0));
    EXPECT_EQ(header.sizeInBlocks(), 3);
    EXPECT_EQ(header.bytePosition(2), 8192);
}

}  // namespace
}  // namespace zorv
