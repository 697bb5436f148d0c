#pragma once

#include <cstdint>
#include <optional>

#include "data_access/Date.hpp"

namespace zorv {

// An Amiga DOS date as stored: three unsigned longs counting the days since
// 1978-01-01, the minutes since the start of that day and the ticks (1/50 s)
// since the start of that minute, in the host's local time (set TZ to choose
// it).
struct AmigaDateComponents {
    int64_t days = 0;
    int64_t minutes = 0;
    int64_t ticks = 0;

    // The moment these fields name: local midnight of 1978-01-01 plus `days`
    // calendar days (a daylight-saving change in between does not shift the
    // time of day), then `minutes` minutes and `ticks` ticks, without
    // clamping (1,440 minutes carry into the next day). Ticks below a second
    // are dropped. None when the calendar gives no moment, or one past the
    // year 9999 (a day count of 0x7FFFFFFF, say) in local time or in UTC.
    std::optional<Date> date() const;

    // The fields of a moment on or after the epoch: whole days, then whole
    // minutes of that day, then whole ticks of that minute.
    static AmigaDateComponents fromDate(Date date);

    friend bool operator==(const AmigaDateComponents&, const AmigaDateComponents&) = default;
};

}  // namespace zorv
