#pragma once

#include <cstdint>

namespace zorv {

// One entry of a colour table: the pixel value it was stored with and its
// colour, each component 0 to 65535.
struct ColorSpec {
    int64_t value = 0;
    int64_t red = 0;
    int64_t green = 0;
    int64_t blue = 0;

    friend bool operator==(const ColorSpec&, const ColorSpec&) = default;
};

}  // namespace zorv
