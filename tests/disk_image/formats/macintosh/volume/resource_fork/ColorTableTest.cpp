#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "disk_image/formats/macintosh/volume/resource_fork/ColorTable.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

Color rgb(int64_t red, int64_t green, int64_t blue) {
    return Color{static_cast<double>(red) / 65535.0, static_cast<double>(green) / 65535.0,
                 static_cast<double>(blue) / 65535.0, 1.0};
}

TEST(ColorTableTest, SystemPaletteHeader) {
    const ImageBytes& bytes = ColorTable::clut8();
    EXPECT_EQ(bytes.size(), 2056u);
    const ColorTable table(bytes);
    EXPECT_EQ(table.ctSeed, 8);
    EXPECT_EQ(table.ctFlags, 0x8000);
    EXPECT_EQ(table.ctSize, 255);
    ASSERT_EQ(table.ctTable.size(), 256u);
    for (const ColorSpec& spec : table.ctTable) EXPECT_EQ(spec.value, 0);
}

struct PaletteEntry {
    int64_t position;
    int64_t red, green, blue;
};

class SystemPaletteTest : public ::testing::TestWithParam<PaletteEntry> {};

TEST_P(SystemPaletteTest, EntryHasTheStandardColour) {
    const PaletteEntry& entry = GetParam();
    const ColorTable table(ColorTable::clut8());
    const ColorSpec& spec = table.ctTable.at(static_cast<size_t>(entry.position));
    EXPECT_EQ(spec, (ColorSpec{0, entry.red, entry.green, entry.blue}));
    EXPECT_EQ(table[entry.position], rgb(entry.red, entry.green, entry.blue));
}

INSTANTIATE_TEST_SUITE_P(Entries, SystemPaletteTest,
                         ::testing::Values(PaletteEntry{0, 0xFFFF, 0xFFFF, 0xFFFF},  // white
                                           PaletteEntry{1, 0xFFFF, 0xFFFF, 0xCCCC},
                                           PaletteEntry{35, 0xFFFF, 0, 0},  // pure red
                                           PaletteEntry{180, 0, 0xFFFF, 0xFFFF},
                                           PaletteEntry{214, 0, 0, 0x3333},
                                           PaletteEntry{215, 0xEEEE, 0, 0},  // the red ramp
                                           PaletteEntry{224, 0x1111, 0, 0},
                                           PaletteEntry{225, 0, 0xEEEE, 0},  // green
                                           PaletteEntry{235, 0, 0, 0xEEEE},  // blue
                                           PaletteEntry{245, 0xEEEE, 0xEEEE, 0xEEEE},  // grey
                                           PaletteEntry{254, 0x1111, 0x1111, 0x1111},
                                           PaletteEntry{255, 0, 0, 0}),  // black
                         [](const auto& info) { return "entry" + std::to_string(info.param.position); });

TEST(ColorTableTest, SizeZeroHoldsOneEntry) {
    const ColorTable table(ByteBuilder().u32(0).u16(0).u16(0).u16(0).u16(0x1000).u16(0x2000).u16(0x3000).image());
    ASSERT_EQ(table.ctTable.size(), 1u);
    EXPECT_EQ(table.ctTable[0], (ColorSpec{0, 0x1000, 0x2000, 0x3000}));
}

// Tables whose bytes do not hold what they announce: only whole entries
// present are read, and a position outside the table is black.
struct DamagedTable {
    const char* name;
    Bytes bytes;
    int64_t ctSize;
    size_t entries;
};

class ColorTableDamagedTest : public ::testing::TestWithParam<DamagedTable> {};

TEST_P(ColorTableDamagedTest, ReadsOnlyWhatIsPresent) {
    const DamagedTable& damaged = GetParam();
    const ColorTable table{ImageBytes(damaged.bytes)};
    EXPECT_EQ(table.ctSize, damaged.ctSize);
    EXPECT_EQ(table.ctTable.size(), damaged.entries);
    for (const int64_t position : {int64_t{-1}, static_cast<int64_t>(damaged.entries), int64_t{65535}, int64_t{1} << 40})
        EXPECT_EQ(table[position], Color::black) << position;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ColorTableDamagedTest,
    ::testing::Values(DamagedTable{"empty", {}, 0, 0},
                      DamagedTable{"shortHeader", ByteBuilder().u32(1).u16(2), 0, 0},
                      DamagedTable{"headerOnly", ByteBuilder().u32(1).u16(2).u16(3), 3, 0},
                      DamagedTable{"maximumSizeInTwoEntries",
                                   ByteBuilder().u32(0).u16(0).u16(0xFFFF).zeros(16), 0xFFFF, 2},
                      DamagedTable{"partialLastEntry", ByteBuilder().u32(0).u16(0).u16(2).zeros(16 + 7), 2, 2},
                      DamagedTable{"moreBytesThanEntries", ByteBuilder().u32(0).u16(0).u16(0).zeros(40), 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorv
