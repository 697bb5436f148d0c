#pragma once

#include <cstdint>

#include "data_access/Bytes.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ColorTable.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/PixelArrayRepresentable.hpp"

namespace zorv {

// A large 8-bit colour icon ("icl8"): 32 pixels a line, one byte per pixel,
// each an index into a colour table (the system palette for icons drawn by
// the Finder).
struct ICL8Icon : PixelArrayRepresentable {
    static constexpr int64_t bitsPerPixel = 8;
    static constexpr int64_t pixelsPerLine = 32;

    // Declared before pixelArray: decoding the pixels looks colours up in it.
    ColorTable clut;
    PixelRows pixelArray;

    ICL8Icon(ByteView bytes, ColorTable clut);

    // The colour of the table entry at the pixel's position; black for a
    // pixel beyond a table of fewer than 256 entries.
    Color colorOfPixel(int64_t pixelValue) const override;
};

}  // namespace zorv
