#include <gtest/gtest.h>

#include "disk_image/formats/macintosh/volume/classic_types/Point.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Rect.hpp"

namespace zorv {
namespace {

TEST(ClassicTypes, PointAndRectRoundTrip) {
    EXPECT_EQ(Point(10, 20).dataBlock(), (Bytes{0, 10, 0, 20}));
    EXPECT_EQ(Point(65535, 0).dataBlock(), (Bytes{0xFF, 0xFF, 0, 0})) << "a stored -1 is held as 65535";

    const Bytes stored = {0, 1, 0, 2, 0, 3, 0, 4};
    const Rect rect{ImageBytes(stored)};
    EXPECT_EQ(rect, Rect(1, 2, 3, 4));
    EXPECT_EQ(rect.dataBlock(), stored);
}

}  // namespace
}  // namespace zorv
