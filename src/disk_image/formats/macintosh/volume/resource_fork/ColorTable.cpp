#include "disk_image/formats/macintosh/volume/resource_fork/ColorTable.hpp"

#include <algorithm>
#include <array>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Bytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

namespace {

// The system palette: the 6 x 6 x 6 colour cube without black (red slowest,
// from the lightest level), then ramps of red, green, blue and grey over the
// ten levels the cube leaves out, then black.
Bytes systemPaletteBytes() {
    constexpr std::array<int64_t, 6> cubeLevels{0xFFFF, 0xCCCC, 0x9999, 0x6666, 0x3333, 0x0000};
    constexpr std::array<int64_t, 10> rampLevels{0xEEEE, 0xDDDD, 0xBBBB, 0xAAAA, 0x8888,
                                                 0x7777, 0x5555, 0x4444, 0x2222, 0x1111};
    Bytes bytes{0, 0, 0, 8, 0x80, 0x00, 0x00, 0xFF};  // ctSeed 8, ctFlags 0x8000, ctSize 255
    const auto entry = [&bytes](int64_t red, int64_t green, int64_t blue) {
        for (const int64_t component : {int64_t{0}, red, green, blue}) {
            const Bytes word = toBigEndian(static_cast<uint16_t>(component));
            bytes.insert(bytes.end(), word.begin(), word.end());
        }
    };
    for (const int64_t red : cubeLevels) {
        for (const int64_t green : cubeLevels) {
            for (const int64_t blue : cubeLevels) {
                if (red == 0 && green == 0 && blue == 0) continue;
                entry(red, green, blue);
            }
        }
    }
    for (const int64_t level : rampLevels) entry(level, 0, 0);
    for (const int64_t level : rampLevels) entry(0, level, 0);
    for (const int64_t level : rampLevels) entry(0, 0, level);
    for (const int64_t level : rampLevels) entry(level, level, level);
    entry(0, 0, 0);
    return bytes;
}

}  // namespace

ColorTable::ColorTable(const ImageBytes& block) {
    if (static_cast<int64_t>(block.size()) < headerSize) return;
    HFSReaderBlock reader(block);
    ctSeed = reader.getLongInteger();
    ctFlags = reader.getInteger();
    ctSize = reader.getInteger();
    const int64_t present = reader.remainingLength() / entrySize;
    const int64_t count = std::min(ctSize + 1, present);
    ctTable.reserve(static_cast<size_t>(count));
    for (int64_t k = 0; k < count; ++k) {
        ColorSpec spec;
        spec.value = reader.getInteger();
        spec.red = reader.getInteger();
        spec.green = reader.getInteger();
        spec.blue = reader.getInteger();
        ctTable.push_back(spec);
    }
}

const ImageBytes& ColorTable::clut8() {
    static const ImageBytes bytes(systemPaletteBytes());
    return bytes;
}

Color ColorTable::operator[](int64_t position) const {
    if (position < 0 || position >= static_cast<int64_t>(ctTable.size())) return Color::black;
    const ColorSpec& spec = ctTable[static_cast<size_t>(position)];
    return Color{static_cast<double>(spec.red) / 65535.0, static_cast<double>(spec.green) / 65535.0,
                 static_cast<double>(spec.blue) / 65535.0, 1.0};
}

}  // namespace zorv
