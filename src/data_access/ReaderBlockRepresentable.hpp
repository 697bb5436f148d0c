#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "data_access/TextEncoding.hpp"

namespace zorv {

// A read cursor over a byte buffer: a record's reader creates one at the
// record's first byte and asks for its fields in order; each read returns one
// field and moves `offset` past it. No read passes the end of `data`: such a
// read throws ReadPastEndError (format detection treats it as "not this
// format"). Callers may set `offset` directly to jump.
//
// Platform cursors derive from BigEndianReader or LittleEndianReader and fix
// the text encoding.
class ReaderBlockRepresentable {
public:
    ImageBytes data;
    int64_t offset = 0;

    TextEncoding textEncoding() const { return textEncoding_; }
    bool isBigEndian() const { return isBigEndian_; }

    // Bytes of `data` after `offset` (0 at or past the end).
    int64_t remainingLength() const;

    int64_t getInteger() { return static_cast<int64_t>(takeUnsigned<2>()); }      // unsigned 16-bit
    int64_t getLongInteger() { return static_cast<int64_t>(takeUnsigned<4>()); }  // unsigned 32-bit
    int64_t getLongLongInteger();  // 64-bit; a value with its top bit set throws ValueOutOfRangeError
    int64_t getSignedLongInteger() {  // two's complement 32-bit
        return static_cast<int32_t>(static_cast<uint32_t>(takeUnsigned<4>()));
    }
    uint8_t getByte() { return static_cast<uint8_t>(takeUnsigned<1>()); }
    int64_t getUnsignedByte() { return static_cast<int64_t>(takeUnsigned<1>()); }  // 0 to 255
    int64_t getSignedByte() { return static_cast<int8_t>(takeUnsigned<1>()); }     // -128 to 127

    std::vector<int64_t> getIntegerArray(int64_t length);
    std::vector<int64_t> getLongIntegerArray(int64_t length);
    std::vector<int64_t> getSignedByteArray(int64_t length);  // unsigned values 0 to 255

    // The next `length` bytes, as a slice of `data` (no copy).
    ImageBytes getDataBlock(int64_t length);
    ImageBytes getRemainingData();

    // A fixed text field with Cc/Cf characters trimmed at both ends; the empty
    // text when the bytes do not decode.
    std::string getPackedString(int64_t length);
    // A Pascal string in a fixed field of `length` bytes (length byte
    // included); the offset moves by `length` whatever the length byte says.
    std::string getLengthByteString(int64_t length);
    // A Pascal string of n bytes right after its length byte.
    std::string getLengthByteStringNoPadding();

    // The bytes before the next occurrence of `delimiter` (the offset then
    // moves past it), or nothing (the offset stays) when it does not occur.
    std::optional<ImageBytes> getUpToDelimiter(ByteView delimiter);

    // Reads as many bytes as `signature` holds (moving past them whether or not
    // they match) and throws `error` when they differ.
    template <typename Error>
    Bytes getAndCheckSignature(ByteView signature, const Error& error) {
        const ImageBytes found = take(static_cast<int64_t>(signature.size()));
        if (!std::equal(found.begin(), found.end(), signature.begin(), signature.end())) throw error;
        return Bytes(signature.begin(), signature.end());
    }

    // PackBits run-length decoding until at least `unpackedCount` bytes are
    // produced (a final run is appended whole).
    Bytes getPackBits(int64_t unpackedCount);

    void alignToWordBoundary();

protected:
    ReaderBlockRepresentable(ImageBytes data, int64_t offset, TextEncoding encoding, bool isBigEndian);

    // The next `count` bytes; moves the offset past them.
    ImageBytes take(int64_t count);
    // The unsigned integer of `width` bytes at the cursor, in the reader's
    // byte order; the cursor moves past it. Read in place, inline: numbers
    // are most of what a reader takes.
    template <int width>
    uint64_t takeUnsigned() {
        const auto size = static_cast<int64_t>(data.size());
        if (offset < 0 || offset > size - width) throwReadPastEnd(width);
        const uint8_t* bytes = data.data() + offset;
        offset += width;
        if constexpr (width == 1) {
            return bytes[0];
        } else if constexpr (width == 2) {
            return detail::loadInteger<uint16_t>(bytes, isBigEndian_);
        } else if constexpr (width == 4) {
            return detail::loadInteger<uint32_t>(bytes, isBigEndian_);
        } else {
            static_assert(width == 8);
            return detail::loadInteger<uint64_t>(bytes, isBigEndian_);
        }
    }
    [[noreturn]] void throwReadPastEnd(int64_t width) const;
    std::string decode(const ImageBytes& bytes) const;

private:
    TextEncoding textEncoding_;
    bool isBigEndian_;
};

}  // namespace zorv
