#include <gtest/gtest.h>

#include "data_access/Errors.hpp"
#include "data_access/ImageBytes.hpp"

namespace zorv {
namespace {

TEST(ImageBytes, SlicesShareTheBufferAndAreBoundsChecked) {
    const ImageBytes whole(Bytes{0, 1, 2, 3, 4, 5, 6, 7});
    const ImageBytes middle = whole.slice(2, 4);
    EXPECT_EQ(middle.data(), whole.data() + 2);
    EXPECT_EQ(middle, (Bytes{2, 3, 4, 5}));
    EXPECT_EQ(middle.slice(1, 2), (Bytes{3, 4}));
    EXPECT_EQ(whole.slice(8, 0).size(), 0u);
    EXPECT_THROW(whole.slice(7, 2), ReadPastEndError);
    EXPECT_THROW(whole.slice(-1, 1), ReadPastEndError);
    EXPECT_THROW(whole.slice(1, -1), ReadPastEndError);
    EXPECT_THROW(whole.slice(INT64_MAX, INT64_MAX), ReadPastEndError);
    EXPECT_THROW(middle.slice(0, 5), ReadPastEndError);
    EXPECT_EQ(whole.sliceFrom(6), (Bytes{6, 7}));
}

TEST(ImageBytes, SliceOutlivesTheValueItCameFrom) {
    ImageBytes slice;
    {
        const ImageBytes whole(Bytes{9, 8, 7});
        slice = whole.slice(1, 2);
    }
    EXPECT_EQ(slice, (Bytes{8, 7}));
}

TEST(ImageBytes, WritesCopyOnlyWhenShared) {
    ImageBytes image(Bytes{1, 2, 3, 4});
    const uint8_t* before = image.data();
    image.replace(0, Bytes{9});
    EXPECT_EQ(image.data(), before) << "an unshared buffer is changed in place";

    const ImageBytes earlier = image.slice(0, 4);
    image.replace(1, Bytes{8, 8});
    EXPECT_EQ(earlier, (Bytes{9, 2, 3, 4})) << "slices handed out before keep their bytes";
    EXPECT_EQ(image, (Bytes{9, 8, 8, 4}));

    image.appendZeros(2);
    EXPECT_EQ(image, (Bytes{9, 8, 8, 4, 0, 0}));
    image.zeroFill(0, 2);
    EXPECT_EQ(image, (Bytes{0, 0, 8, 4, 0, 0}));
    EXPECT_THROW(image.replace(5, Bytes{1, 1}), ReadPastEndError);
    EXPECT_THROW(image.zeroFill(4, 3), ReadPastEndError);
    EXPECT_EQ(image.size(), 6u) << "a failed write never grows the buffer";
}

TEST(ImageBytes, WritingAViewOfItselfIsSafe) {
    ImageBytes image(Bytes{1, 2, 3, 4, 5, 6});
    ImageBytes part = image.slice(2, 4);
    part.replace(0, part.view().subspan(2, 2));
    EXPECT_EQ(part, (Bytes{5, 6, 5, 6}));
    part.append(part.view());
    EXPECT_EQ(part, (Bytes{5, 6, 5, 6, 5, 6, 5, 6}));
    EXPECT_EQ(image, (Bytes{1, 2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace zorv
