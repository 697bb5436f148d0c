#include "disk_image/vocabulary/macintosh/classic_types/OSType.hpp"

#include "data_access/ByteHelpers.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/CreatorList.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/TypeList.hpp"

namespace zorv {

std::string OSType::string() const {
    return decodeMacOSRoman(internalBytes);
}

std::string OSType::typeName() const {
    const auto& list = TypeList::shared().list;
    const auto found = list.find(string());
    return found == list.end() ? "Unknown type" : found->second;
}

std::string OSType::creatorName() const {
    const auto& list = CreatorList::shared().list;
    const auto found = list.find(string());
    return found == list.end() ? "Unknown creator" : found->second;
}

uint32_t OSType::uint32() const {
    // A code of fewer than four bytes (only damaged records hold one) has no value.
    return internalBytes.size() < 4 ? 0 : fromLongBigEndian(internalBytes);
}

std::vector<Bytes> OSType::dataBlockArray() const {
    const std::string text = string();
    if (auto converted = encodeText(text, TextEncoding::macOSRoman)) return {std::move(*converted)};
    return {Bytes(characterCount(text), 0)};
}

}  // namespace zorv
