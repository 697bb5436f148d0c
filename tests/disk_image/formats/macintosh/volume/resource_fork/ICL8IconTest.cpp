#include <gtest/gtest.h>

#include <vector>

#include "disk_image/formats/macintosh/volume/resource_fork/ICL8Icon.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

TEST(ICL8IconTest, PixelsIndexTheSystemPalette) {
    Bytes bytes(1024, 0);
    bytes[1] = 255;
    bytes[32 * 31 + 31] = 215;
    const ICL8Icon icon(bytes, ColorTable(ColorTable::clut8()));
    ASSERT_EQ(icon.pixelArray.size(), 32u);
    for (const auto& row : icon.pixelArray) EXPECT_EQ(row.size(), 32u);
    EXPECT_EQ(icon.pixelArray[0][0], (Color{1, 1, 1, 1}));
    EXPECT_EQ(icon.pixelArray[0][1], Color::black);
    EXPECT_EQ(icon.pixelArray[31][31], (Color{0xEEEE / 65535.0, 0, 0, 1}));
}

TEST(ICL8IconTest, PixelBeyondItsColourTableIsBlack) {
    // Two entries, white and red: pixel values 2 and up have no colour.
    const ColorTable table(
        ByteBuilder().u32(0).u16(0).u16(1).u16(0).u16(0xFFFF).u16(0xFFFF).u16(0xFFFF).u16(1).u16(0xFFFF).u16(0).u16(0).image());
    Bytes bytes(32, 0);
    bytes[1] = 1;
    bytes[2] = 2;
    bytes[3] = 255;
    const ICL8Icon icon(bytes, table);
    ASSERT_EQ(icon.pixelArray.size(), 1u);
    const std::vector<Color>& row = icon.pixelArray[0];
    EXPECT_EQ(row[0], Color::white);
    EXPECT_EQ(row[1], (Color{1, 0, 0, 1}));
    EXPECT_EQ(row[2], Color::black);
    EXPECT_EQ(row[3], Color::black);
}

}  // namespace
}  // namespace zorv
