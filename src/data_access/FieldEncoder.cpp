#include "data_access/FieldEncoder.hpp"

#include <algorithm>
#include <cstdint>
#include <string>

#include "data_access/Errors.hpp"

namespace zorv {

Bytes FieldEncoder::unsignedField(int64_t value, int width, int64_t maximum, const char* name) const {
    if (value < 0 || value > maximum) {
        throw FieldEncodingError(std::string(name) + " value " + std::to_string(value) + " out of range");
    }
    const auto u = static_cast<uint64_t>(value);
    Bytes chunk(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i) {
        const auto byte = static_cast<uint8_t>((u >> (8 * i)) & 0xFF);
        const int index = endianness_ == Endianness::bigEndian ? width - 1 - i : i;
        chunk[static_cast<size_t>(index)] = byte;
    }
    return chunk;
}

Bytes FieldEncoder::integer(int64_t value) const { return unsignedField(value, 2, 0xFFFF, "16-bit"); }

Bytes FieldEncoder::longInteger(int64_t value) const {
    return unsignedField(value, 4, 0xFFFFFFFFLL, "32-bit");
}

Bytes FieldEncoder::longLongInteger(int64_t value) const {
    return unsignedField(value, 8, INT64_MAX, "64-bit");
}

Bytes FieldEncoder::signedLongInteger(int64_t value) const {
    if (value < INT32_MIN || value > INT32_MAX) {
        throw FieldEncodingError("signed 32-bit value " + std::to_string(value) + " out of range");
    }
    return unsignedField(static_cast<int64_t>(static_cast<uint32_t>(value)), 4, 0xFFFFFFFFLL, "32-bit");
}

Bytes FieldEncoder::signedByte(int64_t value) const { return unsignedField(value, 1, 0xFF, "byte"); }

Bytes FieldEncoder::packedString(std::string_view text, int64_t length) const {
    if (length < 0) throw FieldEncodingError("negative text field length");
    Bytes chunk(static_cast<size_t>(length), 0);
    const auto converted = encodeText(text, encoding_);
    if (!converted) return chunk;
    if (static_cast<int64_t>(converted->size()) > length) {
        throw FieldEncodingError("text of " + std::to_string(converted->size()) +
                                 " bytes does not fit a field of " + std::to_string(length));
    }
    std::copy(converted->begin(), converted->end(), chunk.begin());
    return chunk;
}

Bytes FieldEncoder::lengthByteString(std::string_view text, int64_t maxLength) const {
    if (maxLength < 0 || maxLength > 255) {
        throw FieldEncodingError("Pascal string field of " + std::to_string(maxLength) + " characters");
    }
    Bytes chunk(static_cast<size_t>(maxLength) + 1, 0);
    const auto converted = encodeText(text, encoding_);
    if (!converted) return chunk;
    const size_t kept = std::min(converted->size(), static_cast<size_t>(maxLength));
    chunk[0] = static_cast<uint8_t>(kept);
    std::copy_n(converted->begin(), kept, chunk.begin() + 1);
    return chunk;
}

Bytes FieldEncoder::lengthByteStringPaddedToWord(std::string_view text) const {
    const auto converted = encodeText(text, encoding_);
    if (!converted) return {};
    if (converted->size() > 255) {
        throw FieldEncodingError("Pascal string of " + std::to_string(converted->size()) + " bytes");
    }
    Bytes chunk;
    chunk.reserve(converted->size() + 2);
    chunk.push_back(static_cast<uint8_t>(converted->size()));
    chunk.insert(chunk.end(), converted->begin(), converted->end());
    // The padding keeps the record's next field on a word boundary, so it is
    // decided by the bytes written, not by the count of characters.
    if (chunk.size() % 2 != 0) chunk.push_back(0);
    return chunk;
}

Bytes joinChunks(const std::vector<Bytes>& chunks) {
    size_t total = 0;
    for (const auto& chunk : chunks) total += chunk.size();
    Bytes joined;
    joined.reserve(total);
    for (const auto& chunk : chunks) joined.insert(joined.end(), chunk.begin(), chunk.end());
    return joined;
}

}  // namespace zorv
