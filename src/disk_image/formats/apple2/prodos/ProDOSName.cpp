#include "disk_image/formats/apple2/prodos/ProDOSName.hpp"

#include <algorithm>

#include "data_access/TextEncoding.hpp"

namespace zorv {

std::string proDOSName(ByteView field, int64_t nameLength) {
    const auto length = static_cast<size_t>(std::clamp<int64_t>(nameLength, 0, static_cast<int64_t>(field.size())));
    const auto text = decodeText(field.first(length), TextEncoding::ascii);
    return text ? trimControlCharacters(*text) : std::string();
}

bool isASCIINameField(ByteView field) {
    return std::all_of(field.begin(), field.end(), [](uint8_t byte) { return byte < 0x80; });
}

}  // namespace zorv
