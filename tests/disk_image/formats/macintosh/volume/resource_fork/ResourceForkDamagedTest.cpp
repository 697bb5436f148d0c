// Damaged resource forks: offsets and lengths that point outside the fork or
// its map. Only what is present is read, a bad reference is left out, and
// nothing throws.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "disk_image/formats/macintosh/volume/resource_fork/ResourceFork.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/ResourceForkBuilder.hpp"

namespace zorv {
namespace {

using testing::buildResourceFork;
using testing::ByteBuilder;
using testing::ResourceForkLayout;

Bytes text(const std::string& raw) { return Bytes(raw.begin(), raw.end()); }

// Two "clut" resources (128 named "Ramp", -16455 unnamed) and one "STR "
// (1, named "Hello"), in that order in the data area and the reference lists.
ImageBytes soundFork() {
    const Bytes table = ByteBuilder().u32(0).u16(0).u16(0).u16(0).u16(1).u16(2).u16(3);
    return buildResourceFork({
        {"clut", {{128, "Ramp", table}, {-16455, std::nullopt, text("x")}}},
        {"STR ", {{1, "Hello", text("hi")}}},
    });
}

void put(Bytes& bytes, int64_t offset, int64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes.at(static_cast<size_t>(offset + i)) = static_cast<uint8_t>((value >> (8 * (width - 1 - i))) & 0xFF);
}

int64_t typeItem(const ResourceForkLayout& layout, int64_t index) { return layout.typeListOffset + 2 + 8 * index; }
int64_t reference(const ResourceForkLayout& layout, int64_t index) { return layout.referenceListsOffset + 12 * index; }

struct Damage {
    const char* name;
    std::function<void(Bytes&, const ResourceForkLayout&)> apply;
    size_t cluts;      // resources of type "clut" read
    size_t strings;    // of type "STR "
    const char* stringName;
};

class ResourceForkDamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(ResourceForkDamageTest, ReadsWhatIsPresent) {
    const ImageBytes sound = soundFork();
    const ResourceForkLayout layout = testing::resourceForkLayout(sound);
    Bytes bytes = sound.toBytes();
    GetParam().apply(bytes, layout);

    testing::mustNotThrow("ResourceFork", [&] {
        const ResourceFork fork{ImageBytes(bytes)};
        const auto count = [&fork](const std::string& type) {
            return fork.resources.contains(type) ? fork.resources.at(type).size() : 0;
        };
        EXPECT_EQ(count("clut"), GetParam().cluts);
        EXPECT_EQ(count("STR "), GetParam().strings);
        if (GetParam().strings > 0) {
            EXPECT_EQ(fork.resources.at("STR ").at(0).resourceName, GetParam().stringName);
        }
        // Lookups of every kind answer without reading past the fork.
        for (const int64_t id : {-32768, -16455, 1, 8, 128, 32767}) {
            fork.getResource("clut", id);
            fork.getclut(id);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Damages, ResourceForkDamageTest,
    ::testing::Values(
        Damage{"sound", [](Bytes&, const ResourceForkLayout&) {}, 2, 1, "Hello"},
        Damage{"shorterThanItsHeader", [](Bytes& b, const ResourceForkLayout&) { b.resize(10); }, 0, 0, ""},
        Damage{"empty", [](Bytes& b, const ResourceForkLayout&) { b.clear(); }, 0, 0, ""},
        Damage{"mapOffsetBeyondFork", [](Bytes& b, const ResourceForkLayout&) { put(b, 4, 0xFFFFFFF0, 4); }, 0, 0, ""},
        Damage{"mapLengthBeyondFork", [](Bytes& b, const ResourceForkLayout&) { put(b, 12, 0xFFFFFFFF, 4); }, 0, 0, ""},
        Damage{"mapShorterThanItsFixedPart", [](Bytes& b, const ResourceForkLayout&) { put(b, 12, 20, 4); }, 0, 0, ""},
        Damage{"typeCountBeyondMap",
               [](Bytes& b, const ResourceForkLayout& l) { put(b, l.typeListOffset, 0xFFFE, 2); }, 2, 1, "Hello"},
        Damage{"referenceListBeyondMap",
               [](Bytes& b, const ResourceForkLayout& l) { put(b, typeItem(l, 0) + 6, 0xFFFF, 2); }, 0, 1, "Hello"},
        // The first type's list then runs on into the second's: its reference
        // counts for both; the 11 bytes of names that follow are no whole one.
        Damage{"referenceCountBeyondMap",
               [](Bytes& b, const ResourceForkLayout& l) { put(b, typeItem(l, 0) + 4, 0xFFFE, 2); }, 3, 1, "Hello"},
        Damage{"nameBeyondMap",
               [](Bytes& b, const ResourceForkLayout& l) { put(b, reference(l, 2) + 2, 0xFFF0, 2); }, 2, 1, ""},
        Damage{"nameLengthRunsPastMap",
               [](Bytes& b, const ResourceForkLayout& l) { put(b, l.nameListOffset + 5, 0xFF, 1); }, 2, 1, ""},
        Damage{"dataOffsetBeyondFork",
               [](Bytes& b, const ResourceForkLayout& l) { put(b, reference(l, 0) + 5, 0xFFFFFF, 3); }, 1, 1, "Hello"},
        Damage{"dataLengthBeyondFork",
               [](Bytes& b, const ResourceForkLayout& l) { put(b, l.dataOffset, 0xFFFFFFFF, 4); }, 1, 1, "Hello"},
        Damage{"dataAreaBeyondFork",
               [](Bytes& b, const ResourceForkLayout&) { put(b, 0, 0xFFFFFF00, 4); }, 0, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResourceForkDamagedTest, TypesSharingOneReferenceListReadNoMoreThanTheMapHolds) {
    // 2000 type list items, each announcing 65535 references in the one
    // 5000-entry list that follows them: a sound map of this size holds no
    // more than its length / 12 references.
    constexpr int64_t types = 2000;
    ByteBuilder map;
    map.zeros(16).u32(0).u16(0).u16(0).u16(28).u16(0).u16(types - 1);
    const int64_t listOffset = 2 + 8 * types;
    for (int64_t t = 0; t < types; ++t)
        map.u8('A' + t % 26).u8('A' + t / 26 % 26).u8('A' + t / 676 % 26).u8('#').u16(0xFFFE).u16(listOffset);
    for (int i = 0; i < 5000; ++i) map.u16(i).u16(0xFFFF).u8(0).u8(0).u16(0).u32(0);
    ByteBuilder fork;
    fork.u32(16).u32(24).u32(8).u32(static_cast<int64_t>(map.size())).u32(4).text("data").bytes(map);

    const auto start = std::chrono::steady_clock::now();
    const ResourceFork parsed(fork.image());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    size_t total = 0;
    for (const auto& [type, resources] : parsed.resources) total += resources.size();
    EXPECT_LE(total, map.size() / 12);
    EXPECT_GT(total, 0u);
}

}  // namespace
}  // namespace zorv
