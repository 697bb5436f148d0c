#include "platform/ShortDateTimeFormatter.hpp"

#include <locale.h>
#include <time.h>

#include <cstdint>
#include <cstdio>

namespace zorv {
namespace {

// The environment's time locale, released when the value goes; falls back to
// "C" when the environment names a locale that is not installed.
class TimeLocale {
public:
    TimeLocale() {
        locale_ = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        if (locale_ == static_cast<locale_t>(nullptr)) {
            locale_ = ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
        }
    }
    ~TimeLocale() {
        if (locale_ != static_cast<locale_t>(nullptr)) ::freelocale(locale_);
    }
    TimeLocale(const TimeLocale&) = delete;
    TimeLocale& operator=(const TimeLocale&) = delete;

    locale_t get() const { return locale_; }

private:
    locale_t locale_;
};

std::string secondsText(Date date) { return "@" + std::to_string(date.secondsSince1970); }

}  // namespace

std::string ShortDateTimeFormatter::string(Date date) {
    const auto seconds = static_cast<time_t>(date.secondsSince1970);
    if (static_cast<int64_t>(seconds) != date.secondsSince1970) return secondsText(date);
    // Reread TZ: the time zone may have changed since the last date.
    ::tzset();
    struct tm local {};
    if (::localtime_r(&seconds, &local) == nullptr) return secondsText(date);

    const TimeLocale locale;
    char day[128] = {};
    size_t length = 0;
    if (locale.get() != static_cast<locale_t>(nullptr)) {
        length = ::strftime_l(day, sizeof day, "%x", &local, locale.get());
    }
    if (length == 0) length = ::strftime(day, sizeof day, "%m/%d/%y", &local);
    char time[16];
    std::snprintf(time, sizeof time, ", %02d:%02d", local.tm_hour, local.tm_min);
    return std::string(day, length) + time;
}

}  // namespace zorv
