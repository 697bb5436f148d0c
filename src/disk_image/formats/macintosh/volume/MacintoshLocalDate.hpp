#pragma once

#include <cstdint>
#include <string_view>

#include "data_access/Date.hpp"

namespace zorv {

// The dates a Macintosh stores as the wall-clock time it showed: every date of
// classic HFS and MFS, and the creation date of an HFS+ volume header. The
// stored u32 counts the seconds of the calendar from 1904-01-01 00:00:00
// (every day 86,400 of them), with no time zone recorded, and a Macintosh
// shows that same time back wherever it is. So the host's zone turns the
// wall-clock time into an instant, with the rules it has for that date
// (daylight-saving time included), and an instant back into a wall-clock
// time; a date read and written in one zone keeps its wall-clock time. With
// TZ set to UTC the wall-clock time is the instant.
struct MacintoshLocalDate {
    // Seconds from 1904-01-01 00:00:00 to 1970-01-01 00:00:00 on one clock.
    static constexpr int64_t secondsFrom1904To1970 = 2082844800;
    // The largest stored date, 2040-02-06 06:28:15 on the wall clock.
    static constexpr int64_t maximumStoredDate = 0xFFFFFFFFLL;

    // The instant at which the host's zone shows the stored wall-clock time.
    // A time the zone shows twice (the hour repeated when daylight-saving
    // time ends) is the earlier instant; one it skips (the hour lost when it
    // begins) is what mktime makes of it.
    static Date date(int64_t stored);
    // The wall-clock time the host's zone shows at `date`, as stored: clamped
    // to the u32 field (times before 1904 store 0, after early 2040 store
    // 0xFFFFFFFF), so that no date can make a record unwritable.
    static int64_t stored(Date date);

    // What TZ names (empty when it is unset: the host's zone file), which
    // the conversions above depend on: whatever keeps converted dates can
    // tell by it whether they still hold. Valid until TZ is next set.
    static std::string_view zoneName();
};

}  // namespace zorv
