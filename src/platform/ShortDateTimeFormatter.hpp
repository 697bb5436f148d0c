#pragma once

#include <string>

#include "data_access/Date.hpp"

namespace zorv {

// Dates of the text report, written for people: the short numeric date of
// the user's locale and the time to the minute, in the user's time zone.
//
// The form is "<date>, <HH>:<MM>":
// - <date> is the date representation (strftime's %x) of the time locale
//   that the environment names (LC_ALL, else LC_TIME, else LANG); a locale
//   that is not installed counts as "C", whose form is MM/DD/YY;
// - the time is on a 24-hour clock, hours and minutes two digits each;
// - the time zone is the process's own (TZ, else the system's).
// Example, in the "C" locale: 1998-01-19 15:04:05 local time gives
// "01/19/98, 15:04".
//
// A date so far out that the host calendar cannot hold its year is written
// as "@" and its seconds since 1970 (no volume format reaches there).
struct ShortDateTimeFormatter {
    static std::string string(Date date);
};

}  // namespace zorv
