#include "disk_image/formats/macintosh/volume/resource_fork/PixelArrayRepresentable.hpp"

namespace zorv {

PixelArrayRepresentable::PixelRows PixelArrayRepresentable::createPixelArray(ByteView bytes, int64_t bitsPerPixel,
                                                                             int64_t pixelsPerLine) const {
    if (bitsPerPixel <= 0 || pixelsPerLine <= 0) return {};
    const int64_t lineLength = bitsPerPixel * pixelsPerLine / 8;
    if (lineLength == 0) return {};
    const int64_t size = static_cast<int64_t>(bytes.size());
    const int64_t lines = size / lineLength;

    PixelRows rows;
    rows.reserve(static_cast<size_t>(lines));
    for (int64_t line = 0; line < lines; ++line) {
        const int64_t lineStart = line * lineLength;
        std::vector<Color> row;
        row.reserve(static_cast<size_t>(pixelsPerLine));
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
            row.push_back(colorOfPixel(pixelValue));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace zorv
