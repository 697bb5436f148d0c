#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

#include <algorithm>

#include "data_access/CheckedMath.hpp"
#include "data_access/Errors.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/volume/MacintoshLocalDate.hpp"

namespace zorv {

Date HFSPlusReaderBlock::getDateFromMacintoshIntegerValue() {
    return Date{epochSecondsSince1970 + getLongInteger()};
}

Date HFSPlusReaderBlock::getLocalDateFromMacintoshIntegerValue() {
    return MacintoshLocalDate::date(getLongInteger());
}

std::string HFSPlusReaderBlock::getLengthByteString(int64_t length) {
    const int64_t start = offset;
    const int64_t count = getInteger();
    const ImageBytes units = data.slice(offset, count * 2);  // throws when the name runs past the bytes
    offset = checked::add(start, length);
    return decodeUnicodeName(units);
}

std::string HFSPlusReaderBlock::decodeUnicodeName(ByteView units) {
    ByteView text = units;
    Bytes swapped;
    if (text.size() >= 2 && text[0] == 0xFE && text[1] == 0xFF) {
        text = text.subspan(2);
    } else if (text.size() >= 2 && text[0] == 0xFF && text[1] == 0xFE) {
        swapped.assign(text.begin() + 2, text.end());
        for (size_t index = 0; index + 1 < swapped.size(); index += 2) std::swap(swapped[index], swapped[index + 1]);
        text = swapped;
    }
    return decodeText(text, TextEncoding::utf16BigEndian).value_or(std::string());
}

Bytes HFSPlusReaderBlock::unicodeName(std::string_view name) {
    const Bytes units = encodeText(name, TextEncoding::utf16BigEndian).value_or(Bytes());
    if (units.size() / 2 > 0xFFFF) throw FieldEncodingError("HFS+ name longer than 65535 UTF-16 code units");
    const auto count = static_cast<uint16_t>(units.size() / 2);
    Bytes bytes(2 + units.size());
    bytes[0] = static_cast<uint8_t>(count >> 8);
    bytes[1] = static_cast<uint8_t>(count & 0xFF);
    std::copy(units.begin(), units.end(), bytes.begin() + 2);
    return bytes;
}

int64_t HFSPlusReaderBlock::macintoshIntegerValue(Date date) {
    // Saturating: dates a damaged or future clock gives still fit the field.
    if (date.secondsSince1970 < epochSecondsSince1970) return 0;
    if (date.secondsSince1970 > epochSecondsSince1970 + maximumStoredDate) return maximumStoredDate;
    return date.secondsSince1970 - epochSecondsSince1970;
}

int64_t HFSPlusReaderBlock::localMacintoshIntegerValue(Date date) { return MacintoshLocalDate::stored(date); }

}  // namespace zorv
