#include <gtest/gtest.h>

#include <string>

#include "platform/ShortDateTimeFormatter.hpp"
#include "support/ScopedTimeLocale.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ScopedTimeLocale;
using testing::ScopedTimeZone;

// 1998-01-19 15:04:05 UTC.
constexpr int64_t kJanuary1998 = 885222245;

struct ShortDateCase {
    const char* zone;
    const char* locale;
    int64_t seconds;
    const char* expected;
};

class ShortDateTimeFormatterCases : public ::testing::TestWithParam<ShortDateCase> {};

TEST_P(ShortDateTimeFormatterCases, NumericDateAndMinutesInTheUsersZone) {
    const ShortDateCase& c = GetParam();
    const ScopedTimeZone zone(c.zone);
    const ScopedTimeLocale locale(c.locale);
    EXPECT_EQ(ShortDateTimeFormatter::string(Date{c.seconds}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Dates, ShortDateTimeFormatterCases,
                         ::testing::Values(ShortDateCase{"UTC", "C", kJanuary1998, "01/19/98, 15:04"},
                                           // 24-hour clock, seconds dropped, the zone's own day.
                                           ShortDateCase{"America/New_York", "C", kJanuary1998, "01/19/98, 10:04"},
                                           ShortDateCase{"Asia/Tokyo", "C", kJanuary1998 + 9 * 3600, "01/20/98, 09:04"},
                                           ShortDateCase{"UTC", "C", 0, "01/01/70, 00:00"},
                                           // The first second of the classic Macintosh calendar.
                                           ShortDateCase{"UTC", "C", -2082844800, "01/01/04, 00:00"},
                                           ShortDateCase{"UTC", "C", 946684799, "12/31/99, 23:59"},
                                           ShortDateCase{"UTC", "C.UTF-8", kJanuary1998, "01/19/98, 15:04"},
                                           // A locale that is not installed counts as "C".
                                           ShortDateCase{"UTC", "xx_NOWHERE.UTF-8", kJanuary1998, "01/19/98, 15:04"}),
                         testing::namedBy([](const ShortDateCase& c) {
                             return std::string(c.zone) + " " + c.locale + " " + c.expected;
                         }));

TEST(ShortDateTimeFormatter, ReadsTheTimeZoneAnewForEveryDate) {
    const ScopedTimeLocale locale("C");
    {
        const ScopedTimeZone zone("UTC");
        EXPECT_EQ(ShortDateTimeFormatter::string(Date{kJanuary1998}), "01/19/98, 15:04");
    }
    {
        const ScopedTimeZone zone("EST5");
        EXPECT_EQ(ShortDateTimeFormatter::string(Date{kJanuary1998}), "01/19/98, 10:04");
    }
}

TEST(ShortDateTimeFormatter, DatesBeyondTheCalendarAreSecondCounts) {
    const ScopedTimeZone zone("UTC");
    const ScopedTimeLocale locale("C");
    const int64_t farOff = INT64_MAX;
    EXPECT_EQ(ShortDateTimeFormatter::string(Date{farOff}), "@" + std::to_string(farOff));
}

}  // namespace
}  // namespace zorv
