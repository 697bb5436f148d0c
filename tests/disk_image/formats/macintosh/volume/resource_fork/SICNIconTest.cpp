#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk_image/formats/macintosh/volume/resource_fork/SICNIcon.hpp"

namespace zorv {
namespace {

struct IconSize {
    size_t bytes;
    size_t rows;
};

class SICNIconSizeTest : public ::testing::TestWithParam<IconSize> {};

TEST_P(SICNIconSizeTest, WholeLinesGiveRows) {
    const Bytes bytes(GetParam().bytes, 0xFF);
    const SICNIcon icon(bytes);
    ASSERT_EQ(icon.pixelArray.size(), GetParam().rows);
    for (const auto& row : icon.pixelArray) EXPECT_EQ(row.size(), 16u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SICNIconSizeTest,
                         ::testing::Values(IconSize{32, 16},  // one icon
                                           IconSize{64, 32},  // two stacked icons
                                           IconSize{33, 16},  // a byte after the last line
                                           IconSize{1, 0}, IconSize{0, 0}),
                         [](const auto& info) { return std::to_string(info.param.bytes) + "bytes"; });

TEST(SICNIconTest, MostSignificantBitIsLeftmostAndSetBitsAreWhite) {
    const SICNIcon icon(Bytes{0x80, 0x01});
    ASSERT_EQ(icon.pixelArray.size(), 1u);
    std::vector<Color> expected(16, Color::black);
    expected.front() = Color::white;
    expected.back() = Color::white;
    EXPECT_EQ(icon.pixelArray[0], expected);
}

}  // namespace
}  // namespace zorv
