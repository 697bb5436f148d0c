#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Endianness.hpp"
#include "data_access/TextEncoding.hpp"

namespace zorv {

// Turns field values into the byte chunks of an on-disk record in one record
// family's byte order and text encoding. Values outside a field's range and
// texts longer than a fixed field are callers' errors: they throw
// FieldEncodingError and never produce a wrapped or wrongly sized chunk.
class FieldEncoder {
public:
    constexpr FieldEncoder(Endianness endianness, TextEncoding encoding)
        : endianness_(endianness), encoding_(encoding) {}

    constexpr Endianness endianness() const { return endianness_; }
    constexpr TextEncoding encoding() const { return encoding_; }

    Bytes integer(int64_t value) const;            // unsigned 16-bit
    Bytes longInteger(int64_t value) const;        // unsigned 32-bit
    Bytes longLongInteger(int64_t value) const;    // 0 to 2^63 - 1 in 8 bytes
    Bytes signedLongInteger(int64_t value) const;  // two's complement 32-bit
    Bytes signedByte(int64_t value) const;         // one byte, 0 to 255

    // Fixed text field: the text, zero-padded to `length`; a text the encoding
    // cannot represent gives `length` zero bytes.
    Bytes packedString(std::string_view text, int64_t length) const;
    // Pascal string in a field of maxLength + 1 bytes; longer text is cut.
    Bytes lengthByteString(std::string_view text, int64_t maxLength) const;
    // Length byte and text, padded with one zero byte to an even length; a
    // text the encoding cannot represent gives no bytes at all.
    Bytes lengthByteStringPaddedToWord(std::string_view text) const;

private:
    Bytes unsignedField(int64_t value, int width, int64_t maximum, const char* name) const;

    Endianness endianness_;
    TextEncoding encoding_;
};

// The chunks of a record joined in order.
Bytes joinChunks(const std::vector<Bytes>& chunks);

}  // namespace zorv
