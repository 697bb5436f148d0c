#pragma once

#include <compare>
#include <cstdint>

namespace zorv {

// A point in time: signed seconds since 1970-01-01 00:00:00 UTC. On-disk date
// formats (1904 seconds, FAT words, Amiga day counts...) convert to and from it.
struct Date {
    int64_t secondsSince1970 = 0;

    static Date now();
    friend auto operator<=>(const Date&, const Date&) = default;
};

}  // namespace zorv
