#pragma once

#include <cstdint>
#include <optional>

#include "data_access/Date.hpp"

namespace zorv {

// The packed FAT time and date words of a directory entry, unpacked as
// stored: no field is checked against its range, so month 0 or 13-15, day 0,
// hour 24-31 and minute 60-63 come through unchanged.
//   time: hour in bits 15-11, minute in 10-5, seconds / 2 in 4-0;
//   date: years since 1980 in bits 15-9, month in 8-5, day in 4-0.
struct TOSDateComponents {
    int64_t year = 1980;  // 1980-2107
    int64_t month = 0;    // 0-15
    int64_t day = 0;      // 0-31
    int64_t hour = 0;     // 0-31
    int64_t minute = 0;   // 0-63
    int64_t second = 0;   // 0-62, always even

    static TOSDateComponents fromWords(int64_t time, int64_t date);

    // The moment these fields name in the host's current time zone, fields
    // out of range carried into the next larger one as the C library does;
    // nothing when it gives no moment for them.
    std::optional<Date> localDate() const;

    friend bool operator==(const TOSDateComponents&, const TOSDateComponents&) = default;
};

}  // namespace zorv
