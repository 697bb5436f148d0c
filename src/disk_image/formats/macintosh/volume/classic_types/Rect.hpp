#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// A QuickDraw rectangle, coordinates held as stored (unsigned 16-bit).
struct Rect : HFSBlockable<Rect> {
    int64_t top = 0;
    int64_t left = 0;
    int64_t bottom = 0;
    int64_t right = 0;

    Rect() = default;
    Rect(int64_t top, int64_t left, int64_t bottom, int64_t right)
        : top(top), left(left), bottom(bottom), right(right) {}
    // Reads top, left, bottom, right from the first 8 bytes.
    explicit Rect(const ImageBytes& data);

    std::vector<Bytes> dataBlockArray() const { return {integer(top), integer(left), integer(bottom), integer(right)}; }
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
    }
};

}  // namespace zorv
