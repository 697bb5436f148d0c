#pragma once

#include <cstdint>
#include <vector>

#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// A QuickDraw point. Coordinates are held as the unsigned 16-bit values
// stored on disk (a stored -1 is 65535).
struct Point : HFSBlockable<Point> {
    int64_t v = 0;
    int64_t h = 0;

    Point() = default;
    Point(int64_t v, int64_t h) : v(v), h(h) {}

    std::vector<Bytes> dataBlockArray() const { return {integer(v), integer(h)}; }
    friend bool operator==(const Point& a, const Point& b) { return a.v == b.v && a.h == b.h; }
};

}  // namespace zorv
