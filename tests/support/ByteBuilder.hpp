#pragma once

#include <cstdint>
#include <string_view>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"

namespace zorv::testing {

// Writes the fields of a test fixture one after another, integers
// big-endian, so that a fixture reads like the record layout it stands for.
class ByteBuilder {
public:
    ByteBuilder& u8(int64_t value) { return put(value, 1); }
    ByteBuilder& u16(int64_t value) { return put(value, 2); }
    ByteBuilder& u32(int64_t value) { return put(value, 4); }
    ByteBuilder& u64(uint64_t value) {
        for (int i = 7; i >= 0; --i) bytes_.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
        return *this;
    }
    ByteBuilder& bytes(ByteView raw) {
        bytes_.insert(bytes_.end(), raw.begin(), raw.end());
        return *this;
    }
    ByteBuilder& bytes(const ByteBuilder& other) { return bytes(ByteView(other.bytes_)); }
    // The characters of `raw` as bytes, unconverted (Mac OS Roman fixtures
    // spell their high bytes as escapes).
    ByteBuilder& text(std::string_view raw) {
        bytes_.insert(bytes_.end(), raw.begin(), raw.end());
        return *this;
    }
    // A length byte, then the text, then zeros up to `fieldSize` bytes in all
    // (no filler when `fieldSize` is 0).
    ByteBuilder& pascal(std::string_view raw, size_t fieldSize = 0) {
        const size_t start = bytes_.size();
        u8(static_cast<int64_t>(raw.size()));
        text(raw);
        if (bytes_.size() - start < fieldSize) zeros(fieldSize - (bytes_.size() - start));
        return *this;
    }
    // A counted UTF-16 name as HFS+ stores it: a u16 count of code units,
    // then the units big-endian.
    ByteBuilder& utf16Name(std::u16string_view units) {
        u16(static_cast<int64_t>(units.size()));
        for (const char16_t unit : units) u16(unit);
        return *this;
    }
    ByteBuilder& zeros(size_t count) {
        bytes_.insert(bytes_.end(), count, 0);
        return *this;
    }

    size_t size() const { return bytes_.size(); }
    const Bytes& data() const { return bytes_; }
    operator Bytes() const { return bytes_; }  // NOLINT(google-explicit-constructor)
    ImageBytes image() const { return ImageBytes(bytes_); }

private:
    ByteBuilder& put(int64_t value, int width) {
        for (int i = width - 1; i >= 0; --i) bytes_.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
        return *this;
    }

    Bytes bytes_;
};

}  // namespace zorv::testing
