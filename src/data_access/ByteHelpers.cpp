#include "data_access/ByteHelpers.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "data_access/Errors.hpp"

namespace zorv {

void detail::throwShortInteger(size_t width, size_t available) {
    throw ReadPastEndError(0, static_cast<int64_t>(width), static_cast<int64_t>(available));
}

std::string hexFormatNo0Padding(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
    return text;
}

Bytes bytesWithFirstBitsSet(int64_t count, int64_t bits) {
    if (count < 0 || bits < 0 || bits / 8 > count || (bits / 8 == count && bits % 8 != 0)) {
        throw FieldEncodingError("bit count " + std::to_string(bits) + " outside a buffer of " +
                                 std::to_string(count) + " bytes");
    }
    Bytes result(static_cast<size_t>(count), 0);
    const auto fullBytes = static_cast<size_t>(bits / 8);
    for (size_t i = 0; i < fullBytes; ++i) result[i] = 0xFF;
    if (bits % 8 != 0) result[fullBytes] = static_cast<uint8_t>(0xFF << (8 - bits % 8));
    return result;
}

std::string hexFormat(ByteView bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (uint8_t byte : bytes) {
        if (!text.empty()) text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

void dump(ByteView bytes, const std::string& fileName) {
    const char* home = std::getenv("HOME");
    if (home == nullptr) return;
    std::ofstream out(std::string(home) + "/Downloads/" + fileName, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace zorv
