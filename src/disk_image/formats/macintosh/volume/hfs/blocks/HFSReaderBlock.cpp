#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/SteadyTimeZone.hpp"

namespace zorv {

namespace {

// Nothing when the C library cannot place the date.
std::optional<Date> localEpoch() {
    tzset();  // follow changes of TZ during the run
    std::tm local{};
    local.tm_year = 4;  // 1904
    local.tm_mon = 0;
    local.tm_mday = 1;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    // 1904 is never -1 seconds: -1 is mktime's failure.
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return Date{static_cast<int64_t>(seconds)};
}

}  // namespace

Date HFSReaderBlock::epoch() {
    // Within a scope where the zone stays, once.
    thread_local uint64_t steadyScope = 0;
    thread_local Date steadyEpoch{};
    const uint64_t scope = SteadyTimeZone::generation();
    if (scope != 0 && scope == steadyScope) return steadyEpoch;
    const Date found = zoneEpoch();
    if (scope != 0) {
        steadyScope = scope;
        steadyEpoch = found;
    }
    return found;
}

Date HFSReaderBlock::zoneEpoch() {
    // Every date of a volume is read against it, so it is worked out once
    // per zone: while TZ names the same zone, the C library's answer cannot
    // change either (it reads the zone again only when TZ changes). With TZ
    // unset, the library checks the zone's file on each call; so do we.
    const char* zone = std::getenv("TZ");
    if (zone == nullptr) return localEpoch().value_or(Date::now());
    thread_local std::string cachedZone;
    thread_local std::optional<Date> cached;
    if (!cached || cachedZone != zone) {
        cached = localEpoch();
        if (!cached) return Date::now();
        cachedZone = zone;
    }
    return *cached;
}

Date HFSReaderBlock::getDateFromMacintoshIntegerValue() {
    // Big-endian whatever the cursor, as every Macintosh date is.
    const int64_t seconds = getLongInteger();
    return Date{epoch().secondsSince1970 + seconds};
}

std::vector<ExtDescriptor> HFSReaderBlock::getExtDescArray() {
    data.slice(offset, 12);  // the whole record must be present
    std::vector<ExtDescriptor> descriptors;
    descriptors.reserve(3);
    for (int i = 0; i < 3; ++i) {
        const int64_t first = getInteger();
        const int64_t count = getInteger();
        descriptors.emplace_back(first, count);
    }
    return descriptors;
}

int64_t HFSReaderBlock::macintoshIntegerValue(Date date) {
    const int64_t seconds = date.secondsSince1970 - epoch().secondsSince1970;
    return std::clamp<int64_t>(seconds, 0, 0xFFFFFFFFLL);
}

}  // namespace zorv
