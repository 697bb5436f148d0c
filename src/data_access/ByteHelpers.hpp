#pragma once

#include <bit>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <string>

#include "data_access/Bytes.hpp"

namespace zorv {

// Integers from the start of a byte buffer. Only the first bytes are read; an
// empty buffer gives 0; a non-empty buffer shorter than the width throws
// ReadPastEndError.
namespace detail {
[[noreturn]] void throwShortInteger(size_t width, size_t available);

// The integer of T's width at `bytes`, in the given byte order.
template <typename T>
T loadInteger(const uint8_t* bytes, bool bigEndian) {
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    if (bigEndian == (std::endian::native == std::endian::little)) {
        if constexpr (sizeof(T) == 2) value = static_cast<T>(__builtin_bswap16(value));
        if constexpr (sizeof(T) == 4) value = static_cast<T>(__builtin_bswap32(value));
        if constexpr (sizeof(T) == 8) value = static_cast<T>(__builtin_bswap64(value));
    }
    return value;
}

template <typename T, bool bigEndian>
T readInteger(ByteView bytes) {
    if (bytes.empty()) return 0;
    if (bytes.size() < sizeof(T)) throwShortInteger(sizeof(T), bytes.size());
    return loadInteger<T>(bytes.data(), bigEndian);
}
}  // namespace detail

inline uint16_t fromBigEndian(ByteView bytes) { return detail::readInteger<uint16_t, true>(bytes); }
inline uint16_t fromLittleEndian(ByteView bytes) { return detail::readInteger<uint16_t, false>(bytes); }
inline uint32_t fromLongBigEndian(ByteView bytes) { return detail::readInteger<uint32_t, true>(bytes); }
inline uint32_t fromLongLittleEndian(ByteView bytes) { return detail::readInteger<uint32_t, false>(bytes); }
inline uint64_t fromLongLongBigEndian(ByteView bytes) { return detail::readInteger<uint64_t, true>(bytes); }
inline uint64_t fromLongLongLittleEndian(ByteView bytes) { return detail::readInteger<uint64_t, false>(bytes); }

// The bytes of an integer of its own width.
template <std::integral T>
Bytes toBigEndian(T value) {
    using U = std::make_unsigned_t<T>;
    auto u = static_cast<U>(value);
    Bytes result(sizeof(T));
    for (size_t i = sizeof(T); i-- > 0;) {
        result[i] = static_cast<uint8_t>(u & 0xFF);
        if constexpr (sizeof(T) > 1) u = static_cast<U>(u >> 8);
    }
    return result;
}

template <std::integral T>
Bytes toLittleEndian(T value) {
    Bytes result = toBigEndian(value);
    return Bytes(result.rbegin(), result.rend());
}

// Bit n of an integer counted from the least significant bit, as 0 or 1.
template <std::integral T>
constexpr T bit(T value, unsigned n) {
    using U = std::make_unsigned_t<T>;
    return static_cast<T>((static_cast<U>(value) >> n) & 1U);
}

// Bit n counted from the most significant bit.
template <std::integral T>
constexpr T bitFromLeft(T value, unsigned n) {
    return bit(value, sizeof(T) * 8 - 1 - n);
}

template <std::integral T>
constexpr bool isBitSet(T value, unsigned n) {
    return bit(value, n) == 1;
}

constexpr uint8_t highByte(uint16_t value) { return static_cast<uint8_t>(value >> 8); }
constexpr uint8_t lowByte(uint16_t value) { return static_cast<uint8_t>(value & 0xFF); }

// Uppercase hexadecimal, at least two digits ("%02X").
std::string hexFormatNo0Padding(uint16_t value);

// `count` bytes whose first `bits` bits are 1, counted from the most
// significant bit of the first byte. Throws FieldEncodingError unless
// 0 <= bits <= 8 * count.
Bytes bytesWithFirstBitsSet(int64_t count, int64_t bits);

// Each byte as two uppercase hex digits, separated by single spaces.
std::string hexFormat(ByteView bytes);

// Debugging aid: writes the bytes to a file of that name in the user's
// Downloads folder, replacing it; failures are ignored.
void dump(ByteView bytes, const std::string& fileName);

}  // namespace zorv
