#include "disk_image/formats/macintosh/volume/resource_fork/ICL8Icon.hpp"

#include <utility>

namespace zorv {

ICL8Icon::ICL8Icon(ByteView bytes, ColorTable clut) : clut(std::move(clut)) {
    pixelArray = createPixelArray(bytes, bitsPerPixel, pixelsPerLine);
}

Color ICL8Icon::colorOfPixel(int64_t pixelValue) const { return clut[pixelValue]; }

}  // namespace zorv
