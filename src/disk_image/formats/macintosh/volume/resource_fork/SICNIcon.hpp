#pragma once

#include <cstdint>

#include "data_access/Bytes.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/PixelArrayRepresentable.hpp"

namespace zorv {

// A small black-and-white icon ("SICN"): 16 pixels a line at 1 bit per
// pixel, 32 bytes an icon; a resource may stack several.
struct SICNIcon : PixelArrayRepresentable {
    static constexpr int64_t bitsPerPixel = 1;
    static constexpr int64_t pixelsPerLine = 16;

    PixelRows pixelArray;

    explicit SICNIcon(ByteView bytes);

    // A clear bit is black, a set bit white.
    Color colorOfPixel(int64_t pixelValue) const override;
};

}  // namespace zorv
