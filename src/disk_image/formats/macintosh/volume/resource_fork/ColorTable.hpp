#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/ColorSpec.hpp"
#include "platform/Color.hpp"

namespace zorv {

// A colour table as a "clut" resource holds it: an 8-byte header (seed,
// flags, number of entries minus 1), then 8 bytes per entry (value, red,
// green, blue), big-endian.
struct ColorTable {
    static constexpr int64_t headerSize = 8;
    static constexpr int64_t entrySize = 8;

    int64_t ctSeed = 0;
    int64_t ctFlags = 0;
    // Number of entries minus 1, as stored.
    int64_t ctSize = 0;
    std::vector<ColorSpec> ctTable;

    ColorTable() = default;
    // Reads the header, then ctSize + 1 entries. Damaged tables are common
    // enough in real System files that only what the bytes hold is read: the
    // whole entries present (fewer than ctSize + 1 when the bytes end early),
    // and no field at all from fewer than 8 bytes. Never throws.
    explicit ColorTable(const ImageBytes& block);

    // The 256-colour Macintosh system palette (clut 8) in the stored form,
    // 2056 bytes, built on first use.
    static const ImageBytes& clut8();

    // The colour of the entry at this position of ctTable (not the entry
    // whose value equals it), opaque. A position outside the table is black.
    Color operator[](int64_t position) const;
};

}  // namespace zorv
