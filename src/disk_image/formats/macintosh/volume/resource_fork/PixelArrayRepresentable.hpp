#pragma once

#include <cstdint>

#include "data_access/Bytes.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/PixelRows.hpp"
#include "platform/Color.hpp"

namespace zorv {

// An icon decoded from packed pixels into rows of colours. Each icon type
// says what colour a pixel value stands for; the unpacking is shared.
class PixelArrayRepresentable {
public:
    virtual ~PixelArrayRepresentable() = default;

    // The colour of one pixel value.
    virtual Color colorOfPixel(int64_t pixelValue) const = 0;

    // The rows of `pixelsPerLine` colours that the bytes hold, top row
    // first: each line takes bitsPerPixel x pixelsPerLine / 8 bytes, rounded
    // up to a whole byte, and bytes after the last whole line are ignored.
    // At 1 bit per pixel the most significant bit is the leftmost pixel; at
    // any other depth each pixel is one whole byte.
    PixelRows createPixelArray(ByteView bytes, int64_t bitsPerPixel, int64_t pixelsPerLine) const;

protected:
    PixelArrayRepresentable() = default;
    PixelArrayRepresentable(const PixelArrayRepresentable&) = default;
    PixelArrayRepresentable& operator=(const PixelArrayRepresentable&) = default;
};

}  // namespace zorv
