#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"

#include <algorithm>
#include <ctime>

#include "data_access/Errors.hpp"
#include "data_access/TextEncoding.hpp"

namespace zorv {

ProDOSDateComponents ProDOSDateComponents::fromProDOSBytes(ByteView bytes) {
    if (bytes.size() < 4) throw ReadPastEndError(0, 4, static_cast<int64_t>(bytes.size()));
    ProDOSDateComponents components;
    const int64_t yearByte = bytes[1];
    const int64_t yearOfCentury = yearByte >> 1;
    components.day = bytes[0] & 0x1F;
    components.month = (bytes[0] >> 5) | ((yearByte & 1) << 3);
    components.year = (yearByte < 80 ? 2000 : 1900) + yearOfCentury;
    components.minute = bytes[2] & 0x3F;
    components.hour = bytes[3] & 0x1F;
    return components;
}

std::optional<Date> ProDOSDateComponents::localDate() const {
    tzset();  // follow changes of TZ during the run
    std::tm local{};
    local.tm_year = static_cast<int>(year - 1900);
    local.tm_mon = static_cast<int>(month - 1);
    local.tm_mday = static_cast<int>(day);
    local.tm_hour = static_cast<int>(hour);
    local.tm_min = static_cast<int>(minute);
    local.tm_sec = 0;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    // mktime's failure value is also 1969-12-31 23:59:59 UTC, which no whole
    // local minute names in any current time zone.
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return Date{static_cast<int64_t>(seconds)};
}

std::optional<Date> AppleIIReaderBlock::getDateFromProDOSIntegerValue() {
    const ImageBytes bytes = getDataBlock(4);
    // ProDOS leaves the field zero when no clock stamped it (every new
    // volume's header among them).
    if (std::all_of(bytes.begin(), bytes.end(), [](uint8_t byte) { return byte == 0; })) return std::nullopt;
    return ProDOSDateComponents::fromProDOSBytes(bytes.view()).localDate();
}

std::string AppleIIReaderBlock::getStringFromAppleIICharset(int64_t length) {
    const ImageBytes stored = getDataBlock(length);
    Bytes flipped(stored.begin(), stored.end());
    for (uint8_t& byte : flipped) byte ^= 0x80;
    std::string text = decodeText(flipped, TextEncoding::ascii).value_or(std::string());
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

}  // namespace zorv
