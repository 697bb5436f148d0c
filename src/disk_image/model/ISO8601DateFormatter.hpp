#pragma once

#include <optional>
#include <string>

#include "data_access/Date.hpp"

namespace zorv {

// Dates of the JSON report: the internet date-and-time form in UTC with
// seconds and the designator Z, e.g. "1998-01-19T15:04:05Z". Every Date
// formats: years before 1 get a minus sign, years past 9999 more digits.
struct ISO8601DateFormatter {
    static std::string string(Date date);
    // The same text in place of what `into` held (its room reused).
    static void write(Date date, std::string& into);
    // The text of a present date; nothing for an absent one.
    static std::optional<std::string> string(const std::optional<Date>& date);
};

}  // namespace zorv
