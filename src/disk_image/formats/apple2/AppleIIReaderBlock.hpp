#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/LittleEndianReader.hpp"

namespace zorv {

// The fields of a ProDOS date and time (4 bytes: the little-endian date word
// with the day in bits 0-4, the month in bits 5-8 and the year of the century
// in bits 9-15, then a minute byte and an hour byte), as stored: no field is
// checked against its range, so month 0 or 13-15, day 0, hour 24-31 and
// minute 60-63 come through unchanged. There are no seconds.
struct ProDOSDateComponents {
    int64_t year = 0;    // 2000-2039 for a stored year of 0-39, else 1940-2027
    int64_t month = 0;   // 0-15
    int64_t day = 0;     // 0-31
    int64_t hour = 0;    // 0-31, the low five bits of the hour byte
    int64_t minute = 0;  // 0-63, the low six bits of the minute byte

    // Reads bytes 0 to 3 of `bytes` (ReadPastEndError for fewer). The
    // century follows byte 1 as a whole: below 80 (a year of 0-39) it is
    // 2000, from 80 up 1900, so that years 100-127 give 2000-2027.
    static ProDOSDateComponents fromProDOSBytes(ByteView bytes);

    // The moment these fields name in the host's current time zone, carrying
    // fields out of range into the next larger one as the C library does
    // (month 0 is December of the year before, day 0 the last day of the
    // month before, hour 24 the next day); nothing when the C library gives
    // no moment for them.
    std::optional<Date> localDate() const;

    friend bool operator==(const ProDOSDateComponents&, const ProDOSDateComponents&) = default;
};

// The cursor of Apple II records: little-endian integers, ASCII text, ProDOS
// dates, and text in the Apple II character set (ASCII with bit 7 set, as
// DOS 3.3 stores its names). The text encoding is always ASCII.
class AppleIIReaderBlock : public LittleEndianReader {
public:
    explicit AppleIIReaderBlock(ImageBytes data, int64_t offset = 0)
        : LittleEndianReader(std::move(data), offset, TextEncoding::ascii) {}

    // Four bytes of ProDOS date and time, in local time; none when all four
    // are zero (read as they stand they would be 2000, month 0, day 0: 30
    // November 1999 at midnight) or when they name no moment.
    std::optional<Date> getDateFromProDOSIntegerValue();

    // `length` bytes in the Apple II character set: bit 7 of each byte is
    // inverted, the result decoded as ASCII and every carriage return turned
    // into a line feed. A byte stored with bit 7 clear makes the whole text
    // empty. Names padded with (high-bit) spaces keep their spaces.
    std::string getStringFromAppleIICharset(int64_t length);
};

}  // namespace zorv
