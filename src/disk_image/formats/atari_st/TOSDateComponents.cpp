#include "disk_image/formats/atari_st/TOSDateComponents.hpp"

#include <ctime>

namespace zorv {

TOSDateComponents TOSDateComponents::fromWords(int64_t time, int64_t date) {
    TOSDateComponents components;
    components.year = ((date >> 9) & 0x7F) + 1980;
    components.month = (date >> 5) & 0x0F;
    components.day = date & 0x1F;
    components.hour = (time >> 11) & 0x1F;
    components.minute = (time >> 5) & 0x3F;
    components.second = (time & 0x1F) * 2;
    return components;
}

std::optional<Date> TOSDateComponents::localDate() const {
    tzset();  // follow changes of TZ during the run
    std::tm local{};
    local.tm_year = static_cast<int>(year - 1900);
    local.tm_mon = static_cast<int>(month - 1);
    local.tm_mday = static_cast<int>(day);
    local.tm_hour = static_cast<int>(hour);
    local.tm_min = static_cast<int>(minute);
    local.tm_sec = static_cast<int>(second);
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    // mktime's failure value is also 1969-12-31 23:59:59 UTC, a moment no
    // FAT date (1980 and after) names.
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return Date{static_cast<int64_t>(seconds)};
}

}  // namespace zorv
