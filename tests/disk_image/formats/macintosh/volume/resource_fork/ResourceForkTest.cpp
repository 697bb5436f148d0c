#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "disk_image/formats/macintosh/volume/resource_fork/ResourceFork.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ResourceForkBuilder.hpp"

namespace zorv {
namespace {

using testing::buildResourceFork;
using testing::ByteBuilder;
using testing::ResourceSpec;
using testing::ResourceTypeSpec;

Bytes text(const std::string& raw) { return Bytes(raw.begin(), raw.end()); }

// A fork of 306 bytes: a header naming the data area at 16 and a 50-byte map
// at 256, one resource "TEXT" 128 of 4 bytes in the data area, zeros up to
// the map, then the map: its fixed part, one type list item and one
// reference.
ByteBuilder smallestFork() {
    ByteBuilder fork;
    fork.u32(16).u32(256).u32(240).u32(50);
    fork.u32(4).text("abcd").zeros(256 - 24);
    fork.zeros(16).u32(0).u16(0).u16(0)  // header copy, handle, file reference, attributes
        .u16(28)                         // type list
        .u16(50)                         // name list: empty, at the end of the map
        .u16(0)                          // one type
        .text("TEXT").u16(0).u16(10)     // one resource; its reference 10 bytes into the type list
        .u16(128).u16(0xFFFF).u8(0).u8(0).u16(0).u32(0);
    return fork;
}

TEST(ResourceForkTest, MapThatEndsWithTheForkIsRead) {
    const ByteBuilder bytes = smallestFork();
    ASSERT_EQ(bytes.size(), 306u);
    const ResourceFork fork(bytes.image());
    EXPECT_EQ(fork.getResource("TEXT", 128), ImageBytes(text("abcd")));
}

TEST(ResourceForkTest, MapCutOffByTheEndOfTheForkGivesNoResources) {
    Bytes bytes = smallestFork();
    bytes.resize(300);
    EXPECT_TRUE(ResourceFork(ImageBytes(bytes)).resources.empty());
}

TEST(ResourceForkTest, MapWithoutTypesGivesNoResources) {
    EXPECT_TRUE(ResourceFork(buildResourceFork({})).resources.empty());
}

TEST(ResourceForkTest, ListsResourcesByTypeInReferenceOrder) {
    const ResourceFork fork(buildResourceFork({
        {"clut", {{128, "Ramp", text("first")}, {-16455, std::nullopt, text("second")}}},
        {"STR ", {{-16396, "\x83" "clair", text("third")}}},
    }));
    ASSERT_EQ(fork.resources.size(), 2u);
    const auto& cluts = fork.resources.at("clut");
    ASSERT_EQ(cluts.size(), 2u);
    EXPECT_EQ(cluts[0].resourceID, 128);
    EXPECT_EQ(cluts[0].resourceName, "Ramp");
    EXPECT_EQ(cluts[1].resourceID, 65536 - 16455);
    EXPECT_EQ(cluts[1].resourceName, "") << "no name: offset 0xFFFF";
    EXPECT_EQ(cluts[1].offsetToResourceName, 0xFFFF);
    EXPECT_EQ(cluts[1].resourceData, ImageBytes(text("second")));
    EXPECT_EQ(fork.resources.at("STR ").at(0).resourceName, "Éclair");
}

struct Lookup {
    const char* name;
    const char* type;
    int64_t id;
    std::optional<std::string> contents;
};

class ResourceLookupTest : public ::testing::TestWithParam<Lookup> {};

TEST_P(ResourceLookupTest, FindsTheFirstResourceOfTypeAndNumber) {
    const ResourceFork fork(buildResourceFork({
        {"clut", {{128, std::nullopt, text("one-two-eight")}, {-16455, std::nullopt, text("minus")}}},
        {"ICN#", {{128, std::nullopt, text("first")}, {128, std::nullopt, text("second")}}},
    }));
    const Lookup& lookup = GetParam();
    const auto found = fork.getResource(lookup.type, lookup.id);
    if (lookup.contents)
        EXPECT_EQ(found, ImageBytes(text(*lookup.contents)));
    else
        EXPECT_FALSE(found);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, ResourceLookupTest,
    ::testing::Values(Lookup{"positiveNumber", "clut", 128, "one-two-eight"},
                      Lookup{"negativeNumber", "clut", -16455, "minus"},
                      Lookup{"sameBitPatternOutOfRange", "clut", 65536 - 16455, std::nullopt},
                      Lookup{"missingNumber", "clut", 129, std::nullopt},
                      Lookup{"missingType", "PICT", 128, std::nullopt},
                      Lookup{"sameNumberTwice", "ICN#", 128, "first"},
                      Lookup{"belowResourceNumbers", "clut", -32769, std::nullopt},
                      Lookup{"farOutOfRange", "clut", int64_t{1} << 40, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResourceForkTest, TypeListedTwiceKeepsItsLastListing) {
    const ResourceFork fork(buildResourceFork({
        {"TEXT", {{1, std::nullopt, text("early")}, {2, std::nullopt, text("early")}}},
        {"TEXT", {{3, std::nullopt, text("late")}}},
    }));
    ASSERT_EQ(fork.resources.at("TEXT").size(), 1u);
    EXPECT_EQ(fork.getResource("TEXT", 3), ImageBytes(text("late")));
    EXPECT_FALSE(fork.getResource("TEXT", 1));
}

TEST(ResourceForkTest, ClutEightIsTheSystemPaletteWhateverTheForkHolds) {
    const ResourceFork empty;
    const auto palette = empty.getclut(8);
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->ctTable.size(), 256u);

    const Bytes ownTable = ByteBuilder().u32(0).u16(0).u16(0).zeros(8);
    const ResourceFork fork(buildResourceFork({{"clut", {{8, std::nullopt, ownTable}}}}));
    EXPECT_EQ(fork.getclut(8)->ctTable.size(), 256u);
}

TEST(ResourceForkTest, ClutResourceGivesTheTableItsBytesHold) {
    const Bytes table = ByteBuilder()
                            .u32(0x1234)
                            .u16(0)
                            .u16(1)  // two entries
                            .u16(0).u16(0xFFFF).u16(0xFFFF).u16(0xFFFF)
                            .u16(1).u16(0x8000).u16(0x4000).u16(0x2000);
    const ResourceFork fork(buildResourceFork({{"clut", {{128, std::nullopt, table}}}}));
    const auto clut = fork.getclut(128);
    ASSERT_TRUE(clut);
    EXPECT_EQ(clut->ctSeed, 0x1234);
    ASSERT_EQ(clut->ctTable.size(), 2u);
    EXPECT_EQ(clut->ctTable[1], (ColorSpec{1, 0x8000, 0x4000, 0x2000}));
    EXPECT_FALSE(fork.getclut(129));
}

}  // namespace
}  // namespace zorv
