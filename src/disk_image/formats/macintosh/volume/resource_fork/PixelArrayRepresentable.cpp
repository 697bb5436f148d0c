#include "disk_image/formats/macintosh/volume/resource_fork/PixelArrayRepresentable.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace zorv {

PixelRows PixelArrayRepresentable::createPixelArray(ByteView bytes, int64_t bitsPerPixel, int64_t pixelsPerLine) const {
    if (bitsPerPixel <= 0 || pixelsPerLine <= 0) return {};
    // A line ends on a whole byte: at 1 bit, 12 pixels take two bytes, the
    // last four bits unused, so that no pixel lies past its line.
    const int64_t lineLength = (bitsPerPixel * pixelsPerLine + 7) / 8;
    const int64_t size = static_cast<int64_t>(bytes.size());
    const int64_t lines = size / lineLength;

    // Each pixel value's colour asked once: a resource may stack thousands
    // of icons, and every pixel of a line holds one of at most 256 values.
    const int64_t values = bitsPerPixel == 1 ? 2 : 256;
    std::vector<Color> palette;
    palette.reserve(static_cast<size_t>(values));
    for (int64_t value = 0; value < values; ++value) palette.push_back(colorOfPixel(value));

    std::vector<uint8_t> pixels(static_cast<size_t>(lines * pixelsPerLine));
    if (bitsPerPixel == 1 && pixelsPerLine % 8 == 0) {
        // Lines of whole bytes, one after another: eight pixels a byte,
        // taken from a table of each byte's bits.
        static const auto bitsOfByte = [] {
            std::array<std::array<uint8_t, 8>, 256> table{};
            for (size_t byte = 0; byte < 256; ++byte) {
                for (size_t bit = 0; bit < 8; ++bit) table[byte][bit] = (byte >> (7 - bit)) & 1;
            }
            return table;
        }();
        for (size_t at = 0; at < pixels.size() / 8; ++at) {
            std::copy_n(bitsOfByte[bytes[at]].begin(), 8, pixels.begin() + static_cast<std::ptrdiff_t>(at * 8));
        }
    } else if (bitsPerPixel == 8) {
        std::copy_n(bytes.begin(), pixels.size(), pixels.begin());
    } else {
        size_t next = 0;
        for (int64_t line = 0; line < lines; ++line) {
            const int64_t lineStart = line * lineLength;
            for (int64_t x = 0; x < pixelsPerLine; ++x) {
                uint8_t pixelValue = 0;
                if (bitsPerPixel == 1) {
                    const uint8_t byte = bytes[static_cast<size_t>(lineStart + x / 8)];
                    pixelValue = (byte >> (7 - x % 8)) & 1;
                } else {
                    // Depths below 8 bits are not unpacked; a whole byte per
                    // pixel would run past a short line, and such pixels stay 0.
                    const int64_t index = lineStart + x;
                    if (index < size) pixelValue = bytes[static_cast<size_t>(index)];
                }
                pixels[next++] = pixelValue;
            }
        }
    }
    PixelRows rows(std::move(palette), static_cast<size_t>(pixelsPerLine), std::move(pixels));
    return rows;
}

}  // namespace zorv
