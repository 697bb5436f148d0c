// The Apple II cursor: ProDOS dates and text in the Apple II character set.

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Errors.hpp"
#include "disk_image/formats/apple2/AppleIIReaderBlock.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ScopedTimeZone;

// Seconds since 1970 of a UTC calendar time (any field may be out of range;
// timegm carries it over).
int64_t utcSeconds(int year, int month, int day, int hour, int minute) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    return static_cast<int64_t>(timegm(&fields));
}

struct DateCase {
    std::vector<uint8_t> bytes;
    ProDOSDateComponents components;  // year, month, day, hour, minute
    std::optional<int64_t> utcSeconds;  // the moment in UTC; none for no date
};

class ProDOSDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(ProDOSDateTest, ReadsComponentsAndTheMomentTheyName) {
    const DateCase& c = GetParam();
    const ScopedTimeZone zone("UTC");
    EXPECT_EQ(ProDOSDateComponents::fromProDOSBytes(c.bytes), c.components);

    AppleIIReaderBlock reader(ImageBytes(Bytes(c.bytes)));
    const std::optional<Date> read = reader.getDateFromProDOSIntegerValue();
    EXPECT_EQ(read ? std::optional(read->secondsSince1970) : std::nullopt, c.utcSeconds);
    EXPECT_EQ(reader.offset, 4);
}

INSTANTIATE_TEST_SUITE_P(
        AppleIIReaderBlock, ProDOSDateTest,
        ::testing::Values(
                // 15 June 2023, 14:30.
                DateCase{{0xCF, 0x2E, 0x1E, 0x0E}, {2023, 6, 15, 14, 30}, utcSeconds(2023, 6, 15, 14, 30)},
                // Byte 1 is 179: the 1900s, and the month's high bit from it.
                DateCase{{0x99, 0xB3, 0x05, 0x09}, {1989, 12, 25, 9, 5}, utcSeconds(1989, 12, 25, 9, 5)},
                // The century turns on the whole byte 1 at 80.
                DateCase{{0x21, 78, 0, 0}, {2039, 1, 1, 0, 0}, utcSeconds(2039, 1, 1, 0, 0)},
                DateCase{{0x21, 79, 0, 0}, {2039, 9, 1, 0, 0}, utcSeconds(2039, 9, 1, 0, 0)},
                DateCase{{0x21, 80, 0, 0}, {1940, 1, 1, 0, 0}, utcSeconds(1940, 1, 1, 0, 0)},
                DateCase{{0x21, 81, 0, 0}, {1940, 9, 1, 0, 0}, utcSeconds(1940, 9, 1, 0, 0)},
                // Years 100-127 of the 1900s are 2000-2027.
                DateCase{{0x21, 200, 0, 0}, {2000, 1, 1, 0, 0}, utcSeconds(2000, 1, 1, 0, 0)},
                // Only the low six bits of the minute and five of the hour count.
                DateCase{{0x21, 0x2E, 0xFF, 0xE3}, {2023, 1, 1, 3, 63}, utcSeconds(2023, 1, 1, 4, 3)},
                // Four zero bytes are no date at all.
                DateCase{{0, 0, 0, 0}, {2000, 0, 0, 0, 0}, std::nullopt},
                // Month 0 and day 0 otherwise carry back into 30 November 1999.
                DateCase{{0, 0, 0, 1}, {2000, 0, 0, 1, 0}, utcSeconds(1999, 11, 30, 1, 0)},
                // Month 13, hour 24: carried forward.
                DateCase{{0xA1, 0x2F, 0, 24}, {2023, 13, 1, 24, 0}, utcSeconds(2024, 1, 2, 0, 0)}),
        testing::namedBy([](const DateCase& c) { return "bytes " + hexFormat(c.bytes); }));

TEST(AppleIIReaderBlockTest, DatesAreLocalTime) {
    const ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    AppleIIReaderBlock summer(ImageBytes(Bytes{0xCF, 0x2E, 0x1E, 0x0E}));
    EXPECT_EQ(summer.getDateFromProDOSIntegerValue()->secondsSince1970, utcSeconds(2023, 6, 15, 12, 30));
    AppleIIReaderBlock winter(ImageBytes(Bytes{0x99, 0xB3, 0x05, 0x09}));
    EXPECT_EQ(winter.getDateFromProDOSIntegerValue()->secondsSince1970, utcSeconds(1989, 12, 25, 8, 5));
}

TEST(AppleIIReaderBlockTest, DateNeedsFourBytes) {
    EXPECT_THROW(ProDOSDateComponents::fromProDOSBytes(Bytes{0xCF, 0x2E, 0x1E}), ReadPastEndError);
    AppleIIReaderBlock reader(ImageBytes(Bytes{0xCF, 0x2E, 0x1E}));
    EXPECT_THROW(reader.getDateFromProDOSIntegerValue(), ReadPastEndError);
}

struct CharsetCase {
    std::vector<uint8_t> bytes;
    std::string text;
};

class AppleIICharsetTest : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(AppleIICharsetTest, InvertsBitSevenAndDecodesASCII) {
    const CharsetCase& c = GetParam();
    Bytes data = c.bytes;
    data.push_back(0xFF);  // a byte after the field, not read
    AppleIIReaderBlock reader{ImageBytes(data)};
    EXPECT_EQ(reader.getStringFromAppleIICharset(static_cast<int64_t>(c.bytes.size())), c.text);
    EXPECT_EQ(reader.offset, static_cast<int64_t>(c.bytes.size()));
}

INSTANTIATE_TEST_SUITE_P(AppleIIReaderBlock, AppleIICharsetTest,
                         ::testing::Values(CharsetCase{{0xC8, 0xC5, 0xCC, 0xCC, 0xCF}, "HELLO"},
                                           CharsetCase{{0xC1, 0x8D, 0xC2}, "A\nB"},
                                           // Padding spaces stay.
                                           CharsetCase{{0xC1, 0xA0, 0xA0}, "A  "},
                                           // One byte with bit 7 clear empties the whole text.
                                           CharsetCase{{0xC8, 0x45, 0xCC}, ""},
                                           CharsetCase{{}, ""}),
                         testing::namedBy([](const CharsetCase& c) {
                             return c.bytes.empty() ? "no bytes" : "bytes " + hexFormat(c.bytes);
                         }));

}  // namespace
}  // namespace zorv
