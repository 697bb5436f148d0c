#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/Color.hpp"

namespace zorv {

// The rows of colours of a decoded icon, top row first, each read from left
// to right. Held as one byte a pixel (its value) and the colour of each
// value: a resource may stack thousands of icons, and a colour for each
// pixel would take 256 times the resource's bytes.
class PixelRows {
    // Reads positions 0, 1, ... of `Source` (the rows, or one row) through
    // its operator[]; valid while the source lives.
    template <typename Source, typename Value>
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Value;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Value;

        Iterator() = default;
        Iterator(const Source* source, size_t position) : source_(source), position_(position) {}
        Value operator*() const { return (*source_)[position_]; }
        Iterator& operator++() {
            ++position_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++position_;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.position_ == b.position_; }

    private:
        const Source* source_ = nullptr;
        size_t position_ = 0;
    };

public:
    // The colours of one row, read through its pixel values.
    class Row {
    public:
        Row(const uint8_t* values, size_t width, const Color* colors) : values_(values), width_(width), colors_(colors) {}
        size_t size() const { return width_; }
        Color operator[](size_t x) const { return colors_[values_[x]]; }
        Iterator<Row, Color> begin() const { return {this, 0}; }
        Iterator<Row, Color> end() const { return {this, width_}; }

    private:
        const uint8_t* values_;
        size_t width_;
        const Color* colors_;
    };

    PixelRows() = default;
    // `values` holds the rows one after another, `width` values each; every
    // value must be a position of `colors`.
    PixelRows(std::vector<Color> colors, size_t width, std::vector<uint8_t> values);

    size_t size() const { return width_ == 0 ? 0 : values_.size() / width_; }
    bool empty() const { return size() == 0; }
    Row operator[](size_t line) const { return {values_.data() + line * width_, width_, colors_.data()}; }
    Iterator<PixelRows, Row> begin() const { return {this, 0}; }
    Iterator<PixelRows, Row> end() const { return {this, size()}; }

private:
    std::vector<Color> colors_;
    size_t width_ = 0;
    std::vector<uint8_t> values_;
};

}  // namespace zorv
