// Resource forks laid out here, sound and damaged: lookups by type and
// signed number, and offsets or lengths that point outside the fork or its
// map (only what is present is read, a bad reference is left out, nothing
// throws).

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/formats/macintosh/volume/resource_fork/ResourceFork.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

struct Resource {
    int64_t id;
    std::optional<std::string> name;
    std::string contents;
};
using Types = std::vector<std::pair<std::string, std::vector<Resource>>>;

// A fork laid out the way the Resource Manager writes one: the 16-byte
// header, zeros up to the data area at 256 (a length word and the contents
// of each resource), then the map (header copy, type list at 28, reference
// lists, names), which ends with the fork. Offsets are from its start.
struct BuiltFork {
    Bytes bytes;
    int64_t typeList;    // the type count; the first item follows it
    int64_t references;  // the first reference list
    int64_t names;
};

BuiltFork buildFork(const Types& types) {
    ByteBuilder data, names, references, typeItems;
    const auto size = [](const ByteBuilder& part) { return static_cast<int64_t>(part.size()); };
    const int64_t typeItemsLength = 2 + 8 * std::ssize(types);
    for (const auto& [type, resources] : types) {
        typeItems.text(type).u16(std::ssize(resources) - 1).u16(typeItemsLength + size(references));
        for (const Resource& resource : resources) {
            references.u16(resource.id & 0xFFFF).u16(resource.name ? size(names) : 0xFFFF).u8(0);
            references.u8(size(data) >> 16).u16(size(data) & 0xFFFF).u32(0);
            if (resource.name) names.pascal(*resource.name);
            data.u32(std::ssize(resource.contents)).text(resource.contents);
        }
    }
    const int64_t mapOffset = 256 + size(data);
    const int64_t nameList = 28 + typeItemsLength + size(references);
    ByteBuilder header;
    header.u32(256).u32(mapOffset).u32(size(data)).u32(nameList + size(names));
    ByteBuilder fork;
    fork.bytes(header).zeros(240).bytes(data).bytes(header).u32(0).u16(0).u16(0).u16(28).u16(nameList);
    fork.u16(std::ssize(types) - 1).bytes(typeItems).bytes(references).bytes(names);
    return {fork, mapOffset + 28, mapOffset + 28 + typeItemsLength, mapOffset + nameList};
}

std::string textOf(const std::optional<ImageBytes>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : "none";
}

TEST(ResourceForkTest, LookupFindsTheFirstResourceOfTypeAndSignedNumber) {
    const ResourceFork fork{ImageBytes(buildFork({{"clut", {{-16455, {}, "minus"}, {8, {}, "own palette"}}},
                                                  {"ICN#", {{128, {}, "first"}, {128, {}, "second"}}}})
                                           .bytes)};
    const struct {
        const char* type;
        int64_t id;
        const char* contents;
    } lookups[] = {{"clut", -16455, "minus"}, {"clut", 65536 - 16455, "none"}, {"PICT", 128, "none"},
                   {"ICN#", 128, "first"},    {"ICN#", 129, "none"},           {"clut", -32769, "none"},
                   {"clut", int64_t{1} << 40, "none"}};
    for (const auto& lookup : lookups) EXPECT_EQ(textOf(fork.getResource(lookup.type, lookup.id)), lookup.contents);
    // Number 8 is always the system palette, whatever the fork holds.
    EXPECT_EQ(fork.getclut(8)->ctTable, ColorTable(ColorTable::clut8()).ctTable);
}

// What a fork reads, types by name, each type's resources in reference
// order: "type number name" of each resource, joined by "; ".
std::string summary(const ResourceFork& fork) {
    std::string text;
    for (const auto& [type, resources] : fork.resources) {
        for (const auto& resource : resources) {
            text += (text.empty() ? "" : "; ") + type + " " + std::to_string(static_cast<int16_t>(resource.resourceID));
            if (!resource.resourceName().empty()) text += " " + resource.resourceName();
        }
    }
    return text;
}

void put(Bytes& bytes, int64_t offset, int64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes.at(static_cast<size_t>(offset + i)) = static_cast<uint8_t>((value >> (8 * (width - 1 - i))) & 0xFF);
}

struct Damage {
    const char* name;
    std::function<void(Bytes&, const BuiltFork&)> apply;
    const char* reads;  // summary()
};

class ResourceForkDamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(ResourceForkDamageTest, ReadsWhatIsPresent) {
    // Two "clut" resources (128 named "Ramp", -16455 unnamed), then "STR " 1
    // named "Hello"; the types sort "STR " first in the summary.
    BuiltFork built =
        buildFork({{"clut", {{128, "Ramp", "table"}, {-16455, {}, "x"}}}, {"STR ", {{1, "Hello", "hi"}}}});
    GetParam().apply(built.bytes, built);
    testing::mustNotThrow("ResourceFork", [&] {
        const ResourceFork fork{ImageBytes(built.bytes)};
        EXPECT_EQ(summary(fork), GetParam().reads);
        for (const int64_t id : {-32768, -16455, 1, 128, 32767}) fork.getclut(id);
    });
}

const auto typeItem = [](const BuiltFork& f, int64_t index) { return f.typeList + 2 + 8 * index; };
const auto reference = [](const BuiltFork& f, int64_t index) { return f.references + 12 * index; };

INSTANTIATE_TEST_SUITE_P(
    Damages, ResourceForkDamageTest,
    ::testing::Values(
        Damage{"sound", [](Bytes&, const BuiltFork&) {}, "STR  1 Hello; clut 128 Ramp; clut -16455"},
        Damage{"empty", [](Bytes& b, const BuiltFork&) { b.clear(); }, ""},
        Damage{"shorterThanItsHeader", [](Bytes& b, const BuiltFork&) { b.resize(10); }, ""},
        Damage{"mapCutOffByTheEndOfTheFork", [](Bytes& b, const BuiltFork&) { b.resize(b.size() - 6); }, ""},
        Damage{"mapOffsetBeyondFork", [](Bytes& b, const BuiltFork&) { put(b, 4, 0xFFFFFFF0, 4); }, ""},
        Damage{"mapLengthBeyondFork", [](Bytes& b, const BuiltFork&) { put(b, 12, 0xFFFFFFFF, 4); }, ""},
        Damage{"mapShorterThanItsFixedPart", [](Bytes& b, const BuiltFork&) { put(b, 12, 20, 4); }, ""},
        Damage{"dataAreaBeyondFork", [](Bytes& b, const BuiltFork&) { put(b, 0, 0xFFFFFF00, 4); }, ""},
        Damage{"noTypes", [](Bytes& b, const BuiltFork& f) { put(b, f.typeList, 0xFFFF, 2); }, ""},
        Damage{"typeCountBeyondMap", [](Bytes& b, const BuiltFork& f) { put(b, f.typeList, 0xFFFE, 2); },
               "STR  1 Hello; clut 128 Ramp; clut -16455"},
        Damage{"typeListedTwice", [](Bytes& b, const BuiltFork& f) { put(b, typeItem(f, 1), 0x636C7574, 4); },
               "clut 1 Hello"},
        Damage{"referenceListBeyondMap", [](Bytes& b, const BuiltFork& f) { put(b, typeItem(f, 0) + 6, 0xFFFF, 2); },
               "STR  1 Hello"},
        // The first type's list runs on into the second's: its reference
        // count covers both; the 11 bytes of names that follow are no whole one.
        Damage{"referenceCountBeyondMap",
               [](Bytes& b, const BuiltFork& f) { put(b, typeItem(f, 0) + 4, 0xFFFE, 2); },
               "STR  1 Hello; clut 128 Ramp; clut -16455; clut 1 Hello"},
        Damage{"nameBeyondMap", [](Bytes& b, const BuiltFork& f) { put(b, reference(f, 2) + 2, 0xFFF0, 2); },
               "STR  1; clut 128 Ramp; clut -16455"},
        Damage{"nameLengthRunsPastMap", [](Bytes& b, const BuiltFork& f) { put(b, f.names + 5, 0xFF, 1); },
               "STR  1; clut 128 Ramp; clut -16455"},
        Damage{"dataOffsetBeyondFork", [](Bytes& b, const BuiltFork& f) { put(b, reference(f, 0) + 5, 0xFFFFFF, 3); },
               "STR  1 Hello; clut -16455"},
        Damage{"dataLengthBeyondFork", [](Bytes& b, const BuiltFork&) { put(b, 256, 0xFFFFFFFF, 4); },
               "STR  1 Hello; clut -16455"}),
    testing::namedBy(&Damage::name));

// A name is decoded once, however many references name it (a fork of a
// million references to one 255-character name holds one copy of it): the
// same bytes of the name list, or the same text elsewhere in it.
TEST(ResourceForkTest, ReferencesWithOneNameShareOneCopy) {
    BuiltFork built = buildFork({{"snd ", {{1, "Beep", "a"}, {2, "Beep", "b"}, {3, "Boop", "c"}, {4, "", "d"}}}});
    put(built.bytes, reference(built, 3) + 2, 0, 2);  // the fourth names the first one's bytes
    const ResourceFork fork{ImageBytes(built.bytes)};
    const auto& sounds = fork.resources.at("snd ");
    ASSERT_EQ(sounds.size(), 4u);
    for (size_t k : {0, 1, 3}) {
        EXPECT_EQ(sounds[k].resourceName(), "Beep");
        EXPECT_EQ(sounds[k].name.get(), sounds[0].name.get());
    }
    EXPECT_EQ(sounds[2].resourceName(), "Boop");
}

TEST(ResourceForkTest, TypesSharingOneReferenceListReadNoMoreThanTheMapHolds) {
    // 2000 type list items, each announcing 65535 references in the one
    // 5000-entry list that follows them: a sound map of this size holds no
    // more than its length / 12 references.
    constexpr int64_t types = 2000;
    ByteBuilder map;
    map.zeros(16).u32(0).u16(0).u16(0).u16(28).u16(0).u16(types - 1);
    for (int64_t t = 0; t < types; ++t)
        map.u8('A' + t % 26).u8('A' + t / 26 % 26).u8('A' + t / 676 % 26).u8('#').u16(0xFFFE).u16(2 + 8 * types);
    for (int i = 0; i < 5000; ++i) map.u16(i).u16(0xFFFF).u32(0).u32(0);
    ByteBuilder fork;
    fork.u32(16).u32(24).u32(8).u32(static_cast<int64_t>(map.size())).u32(4).text("data").bytes(map);

    size_t total = 0;
    for (const auto& [type, resources] : ResourceFork(fork.image()).resources) total += resources.size();
    EXPECT_EQ(total, map.size() / 12);
}

}  // namespace
}  // namespace zorv
