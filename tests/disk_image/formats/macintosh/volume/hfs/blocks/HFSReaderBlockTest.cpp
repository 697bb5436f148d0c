#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <optional>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"
#include "disk_image/model/ISO8601DateFormatter.hpp"
#include "platform/SteadyTimeZone.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;
using testing::ScopedTimeZone;

constexpr int64_t kUnixEpochIn1904Seconds = 2082844800;

int64_t dateOf(Bytes stored) {
    HFSReaderBlock reader(std::move(stored));
    const Date date = reader.getDateFromMacintoshIntegerValue();
    EXPECT_EQ(reader.offset, 4);
    return date.secondsSince1970;
}

TEST(HFSReaderBlock, DatesCountFrom1904InUTC) {
    ScopedTimeZone utc("UTC");
    EXPECT_EQ(HFSReaderBlock::epoch().secondsSince1970, -kUnixEpochIn1904Seconds);
    EXPECT_EQ(dateOf({0, 0, 0, 0}), -kUnixEpochIn1904Seconds);
    EXPECT_EQ(dateOf({0, 0, 0, 0x3C}), -kUnixEpochIn1904Seconds + 60);
    EXPECT_EQ(dateOf({0x7C, 0x25, 0xB0, 0x80}), 0) << "2082844800 is 1970-01-01 00:00:00 UTC";
    EXPECT_EQ(dateOf({0xFF, 0xFF, 0xFF, 0xFF}), -kUnixEpochIn1904Seconds + 4294967295LL);
}

TEST(HFSReaderBlock, EpochFollowsTheHostTimeZone) {
    // Etc/GMT-1 is UTC+1 all year (POSIX sign convention), so 1904-01-01 00:00
    // local is 1903-12-31 23:00 UTC and every date reads an hour earlier.
    ScopedTimeZone plusOne("Etc/GMT-1");
    EXPECT_EQ(HFSReaderBlock::epoch().secondsSince1970, -kUnixEpochIn1904Seconds - 3600);
    EXPECT_EQ(dateOf({0x7C, 0x25, 0xB0, 0x80}), -3600);
}

TEST(HFSReaderBlock, EpochIsKeptWithinASteadyZoneScopeAndWorkedOutAgainInTheNext) {
    ScopedTimeZone utc("UTC");
    {
        const SteadyTimeZone walk;
        EXPECT_EQ(HFSReaderBlock::epoch().secondsSince1970, -kUnixEpochIn1904Seconds);
        const SteadyTimeZone nested;
        ScopedTimeZone plusOne("Etc/GMT-1");
        EXPECT_EQ(HFSReaderBlock::epoch().secondsSince1970, -kUnixEpochIn1904Seconds)
            << "a scope takes the zone as it was when it began";
    }
    ScopedTimeZone plusOne("Etc/GMT-1");
    const SteadyTimeZone nextWalk;
    EXPECT_EQ(HFSReaderBlock::epoch().secondsSince1970, -kUnixEpochIn1904Seconds - 3600);
}

// A Macintosh stores the time its clock showed and shows it back as it is,
// wherever it is: a stored date is that wall-clock time in the host's zone,
// by the zone's rules for the date.
struct ClassicDate {
    const char* name;
    const char* zone;
    const char* wallClock;    // the stored value, "YYYY-MM-DD HH:MM:SS" since 1904
    const char* instant;      // what the JSON report gives for it
    // The wall-clock time the instant is written as, when not `wallClock`.
    const char* writtenBack = nullptr;
};

// The stored form of a wall-clock time: seconds since 1904-01-01 00:00:00
// counted on the calendar, whatever the zone.
int64_t storedWallClock(const char* text) {
    std::tm fields{};
    EXPECT_EQ(std::sscanf(text, "%d-%d-%d %d:%d:%d", &fields.tm_year, &fields.tm_mon, &fields.tm_mday,
                          &fields.tm_hour, &fields.tm_min, &fields.tm_sec),
              6)
        << text;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    return static_cast<int64_t>(::timegm(&fields)) + kUnixEpochIn1904Seconds;
}

class ClassicDates : public ::testing::TestWithParam<ClassicDate> {};

TEST_P(ClassicDates, AreTheWallClockTimeOfTheHostZone) {
    const ClassicDate& date = GetParam();
    const ScopedTimeZone zone(date.zone);
    const int64_t stored = storedWallClock(date.wallClock);
    const int64_t writtenBack = storedWallClock(date.writtenBack != nullptr ? date.writtenBack : date.wallClock);
    // Alone, and as a walk over a volume's items converts them.
    for (const bool inWalk : {false, true}) {
        SCOPED_TRACE(inWalk ? "in a SteadyTimeZone scope" : "alone");
        std::optional<SteadyTimeZone> walk;
        if (inWalk) walk.emplace();
        HFSReaderBlock reader(Bytes(ByteBuilder().u32(stored)));
        const Date read = reader.getDateFromMacintoshIntegerValue();
        EXPECT_EQ(ISO8601DateFormatter::string(read), date.instant);
        EXPECT_EQ(HFSReaderBlock::macintoshIntegerValue(read), writtenBack);
        // The one local date of HFS+, the volume header's creation date, alike.
        HFSPlusReaderBlock plusReader(Bytes(ByteBuilder().u32(stored)));
        EXPECT_EQ(plusReader.getLocalDateFromMacintoshIntegerValue(), read);
        EXPECT_EQ(HFSPlusReaderBlock::localMacintoshIntegerValue(read), writtenBack);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ClassicDates,
    ::testing::Values(
        ClassicDate{"UTC", "UTC", "2022-08-10 08:34:33", "2022-08-10T08:34:33Z"},
        ClassicDate{"ParisSummer", "Europe/Paris", "2022-08-10 08:34:33", "2022-08-10T06:34:33Z"},
        ClassicDate{"ParisWinter", "Europe/Paris", "2022-01-14 07:19:41", "2022-01-14T06:19:41Z"},
        // Paris kept its mean time, 9 minutes 21 seconds ahead of GMT, until 1911.
        ClassicDate{"ParisIn1904", "Europe/Paris", "1904-01-01 00:00:00", "1903-12-31T23:50:39Z"},
        // 02:30 came twice on 30 October 2022, first in summer time.
        ClassicDate{"ParisHourRepeatedInAutumn", "Europe/Paris", "2022-10-30 02:30:00", "2022-10-30T00:30:00Z"},
        // No clock showed 02:30 on 27 March 2022; mktime takes it in winter
        // time, an instant the clock showed as 03:30.
        ClassicDate{"ParisHourSkippedInSpring", "Europe/Paris", "2022-03-27 02:30:00", "2022-03-27T01:30:00Z",
                    "2022-03-27 03:30:00"},
        ClassicDate{"NewYorkWinter", "America/New_York", "2022-01-14 07:19:41", "2022-01-14T12:19:41Z"},
        ClassicDate{"NewYorkSummer", "America/New_York", "2022-08-10 08:34:33", "2022-08-10T12:34:33Z"},
        ClassicDate{"Kolkata", "Asia/Kolkata", "2022-08-10 08:34:33", "2022-08-10T03:04:33Z"}),
    testing::namedBy(&ClassicDate::name));

TEST(HFSReaderBlock, WritingDatesClampsToTheField) {
    ScopedTimeZone utc("UTC");
    EXPECT_EQ(HFSReaderBlock::macintoshIntegerValue(Date{0}), kUnixEpochIn1904Seconds);
    EXPECT_EQ(HFSReaderBlock::macintoshIntegerValue(Date{-kUnixEpochIn1904Seconds - 10}), 0);
    // 2040-02-06 06:28:16 UTC is one second past the field's last value.
    EXPECT_EQ(HFSReaderBlock::macintoshIntegerValue(Date{2212122496LL}), 0xFFFFFFFFLL);
    EXPECT_EQ(HFSReaderBlock::macintoshIntegerValue(Date{4000000000LL}), 0xFFFFFFFFLL);
}

TEST(HFSReaderBlock, ExtentDescriptorArrays) {
    HFSReaderBlock reader(Bytes{0x00, 0x10, 0x00, 0x05, 0, 0, 0, 0, 0, 0, 0, 0});
    const auto extents = reader.getExtDescArray();
    ASSERT_EQ(extents.size(), 3u);
    EXPECT_EQ(extents[0], ExtDescriptor(16, 5));
    EXPECT_EQ(extents[1], ExtDescriptor(0, 0));
    EXPECT_EQ(extents[2], ExtDescriptor(0, 0));
    EXPECT_EQ(reader.offset, 12);

    HFSReaderBlock shortRecord(Bytes(11, 0));
    EXPECT_THROW(shortRecord.getExtDescArray(), ReadPastEndError);
}

TEST(HFSReaderBlock, ReadsBigEndianMacRoman) {
    HFSReaderBlock reader(Bytes{0x00, 0x02, 0x83});
    EXPECT_EQ(reader.getInteger(), 2);
    EXPECT_EQ(reader.getPackedString(1), "\u00C9");
}

TEST(ExtDescriptor, WritesBackInFieldOrder) {
    EXPECT_EQ(extDescArray({}), Bytes{});
    EXPECT_EQ(extDescArray({ExtDescriptor(3, 5)}), (Bytes{0, 3, 0, 5}));
    EXPECT_EQ(extDescArray({ExtDescriptor(1, 2), ExtDescriptor(3, 4), ExtDescriptor(0xFFFF, 0)}),
              (Bytes{0, 1, 0, 2, 0, 3, 0, 4, 0xFF, 0xFF, 0, 0}));
    EXPECT_THROW(ExtDescriptor(0x10000, 0).dataBlock(), FieldEncodingError);
}

}  // namespace
}  // namespace zorv
