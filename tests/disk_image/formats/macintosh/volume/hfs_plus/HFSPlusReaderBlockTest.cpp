#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"
#include "support/ScopedTimeZone.hpp"

namespace zorv {
namespace {

using testing::ScopedTimeZone;

// 1904-01-01 00:00:00 GMT as seconds since 1970.
constexpr int64_t k1904 = -2082844800;

TEST(HFSPlusReaderBlock, DatesCountFrom1904InGMTWhateverTheHostZone) {
    struct Case {
        Bytes stored;
        int64_t secondsSince1970;
    };
    const std::vector<Case> cases = {
        {{0, 0, 0, 0}, k1904},
        {{0x7C, 0x25, 0xB0, 0x80}, 0},           // 1970-01-01 00:00:00 GMT
        {{0xDE, 0x06, 0xD5, 0x2E}, 1642144942},  // 2022-01-14 07:22:22 GMT
        {{0xFF, 0xFF, 0xFF, 0xFF}, 2212122495},  // 2040-02-06 06:28:15 GMT
    };
    for (const char* zone : {"UTC", "Etc/GMT-1", "America/Los_Angeles", "Australia/Adelaide"}) {
        ScopedTimeZone scoped(zone);
        EXPECT_EQ(HFSPlusReaderBlock::epoch().secondsSince1970, k1904) << zone;
        for (const auto& c : cases) {
            HFSPlusReaderBlock reader(c.stored);
            EXPECT_EQ(reader.getDateFromMacintoshIntegerValue().secondsSince1970, c.secondsSince1970) << zone;
            EXPECT_EQ(reader.offset, 4);
        }
    }
}

TEST(HFSPlusReaderBlock, StoredDatesAreClampedToTheField) {
    ScopedTimeZone zone("Etc/GMT+5");
    struct Case {
        int64_t secondsSince1970;
        int64_t stored;
    };
    for (const Case c : std::vector<Case>{{k1904, 0},
                                          {0, 2082844800},
                                          {k1904 - 1, 0},
                                          {INT64_MIN, 0},
                                          {2212122495, 0xFFFFFFFF},
                                          {2212122496, 0xFFFFFFFF},
                                          {INT64_MAX, 0xFFFFFFFF}}) {
        EXPECT_EQ(HFSPlusReaderBlock::macintoshIntegerValue(Date{c.secondsSince1970}), c.stored)
            << c.secondsSince1970;
    }
}

struct NameCase {
    const char* what;
    Bytes field;
    int64_t length;
    std::string expected;
    int64_t offsetAfter;
};

TEST(HFSPlusReaderBlock, CountedNames) {
    const std::vector<NameCase> cases = {
        {"count 3 in a field of 10", {0, 3, 0, 'a', 0, 'b', 0, 'c', 0xEE, 0xEE}, 10, "abc", 10},
        {"count 0", {0, 0, 0, 'x'}, 4, "", 4},
        {"length just behind the name", {0, 2, 0, 'h', 0, 'i'}, 6, "hi", 6},
        {"decomposed e acute stays decomposed", {0, 2, 0, 'e', 0x03, 0x01}, 6, "e\xCC\x81", 6},
        {"surrogate pair", {0, 2, 0xD8, 0x3D, 0xDE, 0x00}, 6, "\xF0\x9F\x98\x80", 6},
        {"lone low surrogate does not decode", {0, 1, 0xDC, 0x00}, 4, "", 4},
        {"high surrogate at the end does not decode", {0, 1, 0xD8, 0x00}, 4, "", 4},
        {"big-endian byte-order mark is dropped", {0, 2, 0xFE, 0xFF, 0, 'A'}, 6, "A", 6},
        {"little-endian byte-order mark swaps the rest", {0, 3, 0xFF, 0xFE, 'O', 0, 'K', 0}, 8, "OK", 8},
        {"NUL characters are kept", {0, 2, 0, 0, 0, 'H'}, 6, std::string("\0H", 2), 6},
        {"field wider than the bytes", {0, 1, 0, 'z'}, 255, "z", 255},
    };
    for (const auto& c : cases) {
        HFSPlusReaderBlock reader(c.field);
        EXPECT_EQ(reader.getLengthByteString(c.length), c.expected) << c.what;
        EXPECT_EQ(reader.offset, c.offsetAfter) << c.what;
    }
}

TEST(HFSPlusReaderBlock, NamesStartAtTheCursor) {
    HFSPlusReaderBlock reader(Bytes{0xAA, 0xBB, 0, 1, 0, 'q', 0x12, 0x34}, 2);
    EXPECT_EQ(reader.getLengthByteString(4), "q");
    EXPECT_EQ(reader.getInteger(), 0x1234);
}

TEST(HFSPlusReaderBlock, NameRunningPastTheBytesIsRefused) {
    for (const Bytes& field : {Bytes{}, Bytes{0}, Bytes{0, 2, 0, 'a'}, Bytes{0xFF, 0xFF, 0, 'a'}}) {
        HFSPlusReaderBlock reader(field);
        EXPECT_THROW(reader.getLengthByteString(10), ReadPastEndError) << field.size();
    }
}

TEST(HFSPlusReaderBlock, WritesCountedNames) {
    EXPECT_EQ(HFSPlusReaderBlock::unicodeName(""), (Bytes{0, 0}));
    EXPECT_EQ(HFSPlusReaderBlock::unicodeName("caf\xC3\xA9"), (Bytes{0, 4, 0, 'c', 0, 'a', 0, 'f', 0, 0xE9}));
    EXPECT_EQ(HFSPlusReaderBlock::unicodeName("\xF0\x9F\x98\x80"), (Bytes{0, 2, 0xD8, 0x3D, 0xDE, 0x00}));
    EXPECT_EQ(HFSPlusReaderBlock::unicodeName("\xFF not UTF-8"), (Bytes{0, 0}));
    EXPECT_THROW(HFSPlusReaderBlock::unicodeName(std::string(65536, 'x')), FieldEncodingError);

    // What is written reads back.
    const Bytes written = HFSPlusReaderBlock::unicodeName("Dossier \xC3\xA0 moi");
    HFSPlusReaderBlock reader(written);
    EXPECT_EQ(reader.getLengthByteString(static_cast<int64_t>(written.size())), "Dossier \xC3\xA0 moi");
}

}  // namespace
}  // namespace zorv
