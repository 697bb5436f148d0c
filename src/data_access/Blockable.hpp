#pragma once

#include <ranges>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/FieldEncoder.hpp"

namespace zorv {

// An on-disk record that writes itself back as an ordered list of byte chunks,
// one per field, in on-disk order (`dataBlockArray`, supplied by the record).
// The byte order and text encoding are fixed by the record's family, one
// alias per platform (HFSBlockable, HFSPlusBlockable, AmigaBlockable,
// AppleIIBlockable, TOSBlockable); records never choose them themselves.
//
// Records derive from their family alias with themselves as `Record`:
//     struct Point : HFSBlockable<Point> { std::vector<Bytes> dataBlockArray() const; ... };
template <typename Record, Endianness E, TextEncoding T>
struct Blockable {
    static constexpr Endianness endianness = E;
    static constexpr TextEncoding encoding = T;

    // The whole record: the chunks of dataBlockArray() joined in order. A
    // record may hide this with its own.
    Bytes dataBlock() const { return joinChunks(static_cast<const Record&>(*this).dataBlockArray()); }

protected:
    static constexpr FieldEncoder encoder{E, T};

    static Bytes integer(int64_t value) { return encoder.integer(value); }
    static Bytes longInteger(int64_t value) { return encoder.longInteger(value); }
    static Bytes longLongInteger(int64_t value) { return encoder.longLongInteger(value); }
    static Bytes signedLongInteger(int64_t value) { return encoder.signedLongInteger(value); }
    static Bytes signedByte(int64_t value) { return encoder.signedByte(value); }

    template <std::ranges::input_range R>
    static Bytes integerArray(const R& values) { return encodeEach(values, &FieldEncoder::integer); }
    template <std::ranges::input_range R>
    static Bytes longIntegerArray(const R& values) { return encodeEach(values, &FieldEncoder::longInteger); }
    template <std::ranges::input_range R>
    static Bytes signedByteArray(const R& values) { return encodeEach(values, &FieldEncoder::signedByte); }

    static Bytes packedString(std::string_view text, int64_t length) { return encoder.packedString(text, length); }
    static Bytes lengthByteString(std::string_view text, int64_t maxLength) {
        return encoder.lengthByteString(text, maxLength);
    }
    static Bytes lengthByteStringPaddedToWord(std::string_view text) {
        return encoder.lengthByteStringPaddedToWord(text);
    }

private:
    template <typename R>
    static Bytes encodeEach(const R& values, Bytes (FieldEncoder::*encode)(int64_t) const) {
        Bytes joined;
        for (const auto& value : values) {
            const Bytes chunk = (encoder.*encode)(static_cast<int64_t>(value));
            joined.insert(joined.end(), chunk.begin(), chunk.end());
        }
        return joined;
    }
};

}  // namespace zorv
