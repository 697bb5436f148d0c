#include "disk_image/formats/amiga/AmigaDateComponents.hpp"

#include <climits>
#include <ctime>
#include <optional>

namespace zorv {
namespace {

constexpr int64_t secondsPerMinute = 60;
constexpr int64_t ticksPerSecond = 50;
constexpr int64_t lastYear = 9999;
// 9999-12-31 23:59:59 UTC, the last moment the JSON report writes with four
// digits.
constexpr int64_t lastSecondInUTC = 253402300799;

// Local midnight `days` calendar days after 1978-01-01; nothing when the C
// library cannot form it.
std::optional<int64_t> localMidnight(int64_t days) {
    if (days < 0 || days > INT_MAX - 1) return std::nullopt;
    tzset();  // follow changes of TZ during the run
    std::tm local{};
    local.tm_year = 78;
    local.tm_mon = 0;
    local.tm_mday = static_cast<int>(1 + days);
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    // mktime's failure value is also 1969-12-31 23:59:59 UTC, which no local
    // midnight names in any current time zone.
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<int64_t>(seconds);
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::optional<Date> AmigaDateComponents::date() const {
    const auto midnight = localMidnight(days);
    // Values come from disks: minutes and ticks are at most 2^32 - 1, whose
    // sum in seconds fits easily.
    if (!midnight || minutes < 0 || ticks < 0) return std::nullopt;
    const int64_t seconds = *midnight + minutes * secondsPerMinute + ticks / ticksPerSecond;
    // Dates are written with four-digit years; a damaged count reaches far
    // beyond them. The text report writes local time and the JSON report
    // UTC: a zone west of UTC carries the last local seconds of 9999 into
    // 10000, so both are bounded.
    const auto asTime = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (::localtime_r(&asTime, &local) == nullptr || local.tm_year + 1900 > lastYear) return std::nullopt;
    if (seconds > lastSecondInUTC) return std::nullopt;
    return Date{seconds};
}

AmigaDateComponents AmigaDateComponents::fromDate(Date date) {
    tzset();
    const auto seconds = static_cast<std::time_t>(date.secondsSince1970);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) return {};
    const int64_t days = daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) - daysFromCivil(1978, 1, 1);
    const auto midnight = localMidnight(days);
    if (!midnight) return {};
    const int64_t sinceMidnight = date.secondsSince1970 - *midnight;
    return {days, sinceMidnight / secondsPerMinute, (sinceMidnight % secondsPerMinute) * ticksPerSecond};
}

}  // namespace zorv
