#include "disk_image/formats/macintosh/volume/resource_fork/PixelRows.hpp"

#include <utility>

namespace zorv {

PixelRows::PixelRows(std::vector<Color> colors, size_t width, std::vector<uint8_t> values)
    : colors_(std::move(colors)), width_(width), values_(std::move(values)) {
    values_.resize(width_ == 0 ? 0 : values_.size() / width_ * width_);
}

}  // namespace zorv
