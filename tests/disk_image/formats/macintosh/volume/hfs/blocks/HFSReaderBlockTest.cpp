#include <gtest/gtest.h>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "platform/SteadyTimeZone.hpp"
#include "support/ScopedTimeZone.hpp"

namespace zorv {
namespace {

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
