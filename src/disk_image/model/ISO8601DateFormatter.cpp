#include "disk_image/model/ISO8601DateFormatter.hpp"

#include <cinttypes>
#include <cstdio>

namespace zorv {
namespace {

constexpr int64_t secondsPerDay = 86400;

struct CivilDate {
    int64_t year;
    int64_t month;
    int64_t day;
};

// The proleptic Gregorian date of a day count from 1970-01-01, exact over the
// whole range a Date's seconds can reach (no intermediate value overflows).
CivilDate civilFromDays(int64_t days) {
    const int64_t shifted = days + 719468;  // day 0 becomes 0000-03-01
    const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const int64_t dayOfEra = shifted - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

}  // namespace

std::string ISO8601DateFormatter::string(Date date) {
    std::string text;
    write(date, text);
    return text;
}

void ISO8601DateFormatter::write(Date date, std::string& into) {
    int64_t days = date.secondsSince1970 / secondsPerDay;
    int64_t secondsOfDay = date.secondsSince1970 % secondsPerDay;
    if (secondsOfDay < 0) {
        secondsOfDay += secondsPerDay;
        days -= 1;
    }
    // Dates of one volume fall on few days: the last day's date is kept.
    thread_local int64_t lastDays = 0;
    thread_local CivilDate lastCivil{1970, 1, 1};
    if (days != lastDays) {
        lastCivil = civilFromDays(days);
        lastDays = days;
    }
    const CivilDate civil = lastCivil;
    const bool negativeYear = civil.year < 0;
    // |year| of any Date fits comfortably: at most about 3e11.
    const int64_t yearDigits = negativeYear ? -civil.year : civil.year;
    if (!negativeYear && yearDigits <= 9999) {
        // The common case, written digit by digit (reports write two dates
        // per item): "YYYY-MM-DDThh:mm:ssZ".
        // The digits of 0 to 99, two by two.
        static constexpr char pairs[] =
            "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
            "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
            "8081828384858687888990919293949596979899";
        // Written in place: a string reused for each date keeps its room.
        into.resize(20);
        char* text = into.data();
        const auto twoDigits = [&](size_t at, int64_t value) {
            text[at] = pairs[2 * value];
            text[at + 1] = pairs[2 * value + 1];
        };
        twoDigits(0, yearDigits / 100);
        twoDigits(2, yearDigits % 100);
        text[4] = '-';
        twoDigits(5, civil.month);
        text[7] = '-';
        twoDigits(8, civil.day);
        text[10] = 'T';
        twoDigits(11, secondsOfDay / 3600);
        text[13] = ':';
        twoDigits(14, secondsOfDay % 3600 / 60);
        text[16] = ':';
        twoDigits(17, secondsOfDay % 60);
        text[19] = 'Z';
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s%04" PRId64 "-%02" PRId64 "-%02" PRId64 "T%02" PRId64 ":%02" PRId64
                  ":%02" PRId64 "Z",
                  negativeYear ? "-" : "", yearDigits, civil.month, civil.day, secondsOfDay / 3600,
                  secondsOfDay % 3600 / 60, secondsOfDay % 60);
    into = text;
}

std::optional<std::string> ISO8601DateFormatter::string(const std::optional<Date>& date) {
    if (!date) return std::nullopt;
    return string(*date);
}

}  // namespace zorv
