#include "disk_image/formats/macintosh/volume/MacintoshLocalDate.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <climits>
#include <ctime>
#include <memory>
#include <optional>

#include "platform/SteadyTimeZone.hpp"

namespace zorv {

namespace {

constexpr int64_t secondsPerDay = 86400;

// The host zone's offset east of UTC at `instant`; nothing when the C library
// cannot place it. The caller has called tzset(): localtime_r does not look
// at TZ again by itself.
std::optional<int64_t> offsetAt(int64_t instant) {
    const auto seconds = static_cast<std::time_t>(instant);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) return std::nullopt;
    return static_cast<int64_t>(local.tm_gmtoff);
}

// What mktime makes of the wall-clock time (seconds since 1970 on the
// calendar): the zone's guess for a time it skips.
int64_t mktimeInstant(int64_t wallClock) {
    const auto seconds = static_cast<std::time_t>(wallClock);
    std::tm fields{};
    if (::gmtime_r(&seconds, &fields) == nullptr) return wallClock;
    fields.tm_isdst = -1;
    const std::time_t instant = std::mktime(&fields);
    // mktime's failure value is also 1969-12-31 23:59:59 UTC, a second no
    // Macintosh date falls on in a skipped hour.
    if (instant == static_cast<std::time_t>(-1)) return wallClock;
    return static_cast<int64_t>(instant);
}

// The earliest instant at which the zone shows `wallClock`. No zone is a day
// or more away from UTC, so such an instant lies within a day of the wall-
// clock time, and its offset is the one the zone has a day before or a day
// after it: no zone changes its offset twice within two days. mktime alone
// would not do: for a time shown twice, glibc's answer depends on the dates
// it converted before.
int64_t instantShowing(int64_t wallClock) {
    std::optional<int64_t> earliest;
    for (const auto& offset : {offsetAt(wallClock - secondsPerDay), offsetAt(wallClock + secondsPerDay)}) {
        if (!offset) continue;
        const int64_t instant = wallClock - *offset;
        if (offsetAt(instant) == offset && (!earliest || instant < *earliest)) earliest = instant;
    }
    return earliest ? *earliest : mktimeInstant(wallClock);
}

// Wall-clock days are taken eight at a time: a walk keeps one offset for
// each such span of a volume's dates.
constexpr int64_t spanDays = 8;

// The one offset every instant showing a time of the span `span` has, or
// nothing when the zone changes its offset near it. Those instants lie from a
// day before the span to a day after it; offsets a day apart that agree hold
// between them (no zone changes its offset twice within two days), so when
// all those from the first to the last agree, that is the one.
std::optional<int64_t> spanOffset(int64_t span) {
    const int64_t first = span * spanDays * secondsPerDay - secondsPerDay;
    const auto offset = offsetAt(first);
    if (!offset) return std::nullopt;
    for (int64_t day = 1; day <= spanDays + 2; ++day) {
        if (offsetAt(first + day * secondsPerDay) != offset) return std::nullopt;
    }
    return offset;
}

int64_t floorDivide(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// The offsets of the spans a walk has met, kept for its SteadyTimeZone scope:
// the dates of a volume's items fall on a few spans, and each date costs the
// C library several conversions otherwise. Made when a thread first needs it.
struct SpanEntry {
    static constexpr int32_t noOffset = INT32_MIN;  // the zone changes its offset near the span
    uint64_t scope = 0;                             // 0: empty
    int32_t span = 0;                               // spans of 1904 to 2040 fit
    int32_t offset = noOffset;
};
// 90 years of dates, each span in an entry of its own; 64 KB.
constexpr size_t spanEntryCount = 4096;
thread_local std::unique_ptr<std::array<SpanEntry, spanEntryCount>> spanEntries;

}  // namespace

Date MacintoshLocalDate::date(int64_t stored) {
    const int64_t wallClock = stored - secondsFrom1904To1970;
    const uint64_t scope = SteadyTimeZone::generation();
    if (scope == 0) {
        ::tzset();  // follow changes of TZ during the run
        return Date{instantShowing(wallClock)};
    }
    if (!spanEntries) spanEntries = std::make_unique<std::array<SpanEntry, spanEntryCount>>();
    const int64_t span = floorDivide(wallClock, spanDays * secondsPerDay);
    SpanEntry& entry = (*spanEntries)[static_cast<uint64_t>(span) % spanEntryCount];
    if (entry.scope != scope || entry.span != span) {
        ::tzset();  // the zone of this scope, had TZ changed before it began
        const auto offset = spanOffset(span);
        entry = SpanEntry{scope, static_cast<int32_t>(span),
                          offset ? static_cast<int32_t>(*offset) : SpanEntry::noOffset};
    }
    if (entry.offset != SpanEntry::noOffset) return Date{wallClock - entry.offset};
    return Date{instantShowing(wallClock)};
}

int64_t MacintoshLocalDate::stored(Date date) {
    // Far outside the field no zone's offset brings a date back into it.
    const int64_t first = -secondsFrom1904To1970 - secondsPerDay;
    const int64_t last = -secondsFrom1904To1970 + maximumStoredDate + secondsPerDay;
    if (date.secondsSince1970 < first) return 0;
    if (date.secondsSince1970 > last) return maximumStoredDate;
    ::tzset();
    const int64_t offset = offsetAt(date.secondsSince1970).value_or(0);
    return std::clamp<int64_t>(date.secondsSince1970 + offset + secondsFrom1904To1970, 0, maximumStoredDate);
}

std::string_view MacintoshLocalDate::zoneName() {
    const char* zone = std::getenv("TZ");
    return zone != nullptr ? std::string_view(zone) : std::string_view();
}

}  // namespace zorv
