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
public:
    // The colours of one row, read through its pixel values.
    class Row {
    public:
        class Iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = Color;
            using difference_type = std::ptrdiff_t;
            using pointer = void;
            using reference = Color;

            Iterator() = default;
            Iterator(const uint8_t* value, const Color* colors) : value_(value), colors_(colors) {}
            Color operator*() const { return colors_[*value_]; }
            Iterator& operator++() {
                ++value_;
                return *this;
            }
            Iterator operator++(int) {
                Iterator before = *this;
                ++value_;
                return before;
            }
            friend bool operator==(const Iterator& a, const Iterator& b) { return a.value_ == b.value_; }

        private:
            const uint8_t* value_ = nullptr;
            const Color* colors_ = nullptr;
        };

        Row(const uint8_t* values, size_t width, const Color* colors) : values_(values), width_(width), colors_(colors) {}
        size_t size() const { return width_; }
        Color operator[](size_t x) const { return colors_[values_[x]]; }
        Iterator begin() const { return {values_, colors_}; }
        Iterator end() const { return {values_ + width_, colors_}; }

    private:
        const uint8_t* values_;
        size_t width_;
        const Color* colors_;
    };

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Row;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Row;

        Iterator() = default;
        Iterator(const PixelRows* rows, size_t line) : rows_(rows), line_(line) {}
        Row operator*() const { return (*rows_)[line_]; }
        Iterator& operator++() {
            ++line_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++line_;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.line_ == b.line_; }

    private:
        const PixelRows* rows_ = nullptr;
        size_t line_ = 0;
    };

    PixelRows() = default;
    // `values` holds the rows one after another, `width` values each; every
    // value must be a position of `colors`.
    PixelRows(std::vector<Color> colors, size_t width, std::vector<uint8_t> values);

    size_t size() const { return width_ == 0 ? 0 : values_.size() / width_; }
    bool empty() const { return size() == 0; }
    Row operator[](size_t line) const { return {values_.data() + line * width_, width_, colors_.data()}; }
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

private:
    std::vector<Color> colors_;
    size_t width_ = 0;
    std::vector<uint8_t> values_;
};

}  // namespace zorv
