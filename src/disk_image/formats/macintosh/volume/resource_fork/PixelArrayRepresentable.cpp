#include "disk_image/formats/macintosh/volume/resource_fork/PixelArrayRepresentable.hpp"

namespace zorv {

PixelArrayRepresentable::PixelRows PixelArrayRepresentable::createPixelArray(ByteView bytes, int64_t bitsPerPixel,
                                                                             int64_t pixelsPerLine) const {
    if (bitsPerPixel <= 0 || pixelsPerLine <= 0) return {};
    const int64_t lineLength = bitsPerPixel * pixelsPerLine / 8;
    if (lineLength == 0) return {};
    const int64_t size = static_cast<int64_t>(bytes.size());
    const int64_t lines = size / lineLength;

    // Each pixel value's colour asked once: a resource may stack thousands
    // of icons, and every pixel of a line holds one of at most 256 values.
    const int64_t values = bitsPerPixel == 1 ? 2 : 256;
    std::vector<Color> palette;
    palette.reserve(static_cast<size_t>(values));
    for (int64_t value = 0; value < values; ++value) palette.push_back(colorOfPixel(value));

    PixelRows rows(static_cast<size_t>(lines), std::vector<Color>(static_cast<size_t>(pixelsPerLine)));
    for (int64_t line = 0; line < lines; ++line) {
        const int64_t lineStart = line * lineLength;
        std::vector<Color>& row = rows[static_cast<size_t>(line)];
        for (int64_t x = 0; x < pixelsPerLine; ++x) {
            int64_t pixelValue = 0;
            if (bitsPerPixel == 1) {
                const uint8_t byte = bytes[static_cast<size_t>(lineStart + x / 8)];
                pixelValue = (byte >> (7 - x % 8)) & 1;
            } else {
                // Depths below 8 bits are not unpacked; a whole byte per pixel
                // would run past a short line, and such pixels stay 0.
                const int64_t index = lineStart + x;
                if (index < size) pixelValue = bytes[static_cast<size_t>(index)];
            }
            row[static_cast<size_t>(x)] = palette[static_cast<size_t>(pixelValue)];
        }
    }
    return rows;
}

}  // namespace zorv
