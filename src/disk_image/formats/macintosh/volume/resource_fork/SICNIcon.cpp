#include "disk_image/formats/macintosh/volume/resource_fork/SICNIcon.hpp"

namespace zorv {

SICNIcon::SICNIcon(ByteView bytes) { pixelArray = createPixelArray(bytes, bitsPerPixel, pixelsPerLine); }

Color SICNIcon::colorOfPixel(int64_t pixelValue) const { return pixelValue == 0 ? Color::black : Color::white; }

}  // namespace zorv
