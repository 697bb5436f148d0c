#include <gtest/gtest.h>

#include <algorithm>
#include <compare>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogKey.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

TEST(HFSPlusCatalogKey, DecodesKeys) {
    struct Case {
        const char* what;
        Bytes keyBytes;
        HFSPlusCatalogKey expected;
    };
    const std::vector<Case> cases = {
        {"thread key: no name", ByteBuilder().u16(6).u32(19).u16(0), {6, 19, ""}},
        {"ASCII name", ByteBuilder().u16(12).u32(2).utf16Name(u"abc"), {12, 2, "abc"}},
        {"decomposed name stays decomposed", ByteBuilder().u16(16).u32(2).utf16Name(u"cafe\u0301"),
         {16, 2, "cafe\xCC\x81"}},
        {"non-BMP character", ByteBuilder().u16(10).u32(2).utf16Name(u"\U0001F600"), {10, 2, "\xF0\x9F\x98\x80"}},
        {"name shorter than the key", ByteBuilder().u16(12).u32(7).utf16Name(u"a").zeros(4), {12, 7, "a"}},
        {"undecodable name reads as empty", ByteBuilder().u16(8).u32(2).u16(1).u16(0xDC00), {8, 2, ""}},
        {"bytes after the key are not read", ByteBuilder().u16(8).u32(2).utf16Name(u"x").u16(0xFFFF), {8, 2, "x"}},
        {"largest parent ID", ByteBuilder().u16(6).u32(0xFFFFFFFF).u16(0), {6, 0xFFFFFFFF, ""}},
    };
    for (const auto& c : cases) {
        const HFSPlusCatalogKey key{ImageBytes(c.keyBytes)};
        EXPECT_EQ(key, c.expected) << c.what;
    }
}

TEST(HFSPlusCatalogKey, DamagedKeysAreRefused) {
    struct Case {
        const char* what;
        Bytes keyBytes;
    };
    const std::vector<Case> cases = {
        {"nothing", {}},
        {"half a length", {0}},
        {"bytes shorter than the key length", ByteBuilder().u16(12).u32(2).utf16Name(u"a")},
        {"name count past the key", ByteBuilder().u16(8).u32(2).u16(2).u16('a').u16('b')},
        {"huge name count", ByteBuilder().u16(8).u32(2).u16(0xFFFF).u16('a')},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(HFSPlusCatalogKey{ImageBytes(c.keyBytes)}, ReadPastEndError) << c.what;
    }
    for (const int64_t keyLength : {0, 1, 5}) {
        const Bytes keyBytes = ByteBuilder().u16(keyLength).zeros(8);
        EXPECT_THROW(HFSPlusCatalogKey{ImageBytes(keyBytes)}, ValueOutOfRangeError) << keyLength;
    }
}

TEST(HFSPlusCatalogKey, WritesTheNameInExactlyItsKeyLength) {
    struct Case {
        const char* what;
        HFSPlusCatalogKey key;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"empty name", {6, 1, ""}, ByteBuilder().u16(6).u32(1).u16(0)},
        {"name filling the key", {12, 2, "abc"}, ByteBuilder().u16(12).u32(2).utf16Name(u"abc")},
        {"seven units in room for three", {12, 2, "abcdefg"}, ByteBuilder().u16(12).u32(2).utf16Name(u"abc")},
        {"short name padded with zeros", {12, 2, "a"}, ByteBuilder().u16(12).u32(2).utf16Name(u"a").zeros(4)},
        {"odd room keeps whole units", {9, 2, "ab"}, ByteBuilder().u16(9).u32(2).utf16Name(u"a").zeros(1)},
        {"surrogate pair never split", {10, 2, "a\xF0\x9F\x98\x80"},
         ByteBuilder().u16(10).u32(2).utf16Name(u"a").zeros(2)},
        {"surrogate pair kept whole", {12, 2, "a\xF0\x9F\x98\x80"},
         ByteBuilder().u16(12).u32(2).utf16Name(u"a\U0001F600")},
        {"name not valid UTF-8", {10, 2, "\xFF\xFE"}, ByteBuilder().u16(10).u32(2).u16(0).zeros(4)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.key.dataBlock(), c.expected) << c.what;
        EXPECT_EQ(c.key.dataBlock().size(), static_cast<size_t>(c.key.keyLength + 2)) << c.what;
    }
    EXPECT_THROW((HFSPlusCatalogKey{5, 1, ""}.dataBlock()), FieldEncodingError);
    EXPECT_THROW((HFSPlusCatalogKey{6, 0x100000000, ""}.dataBlock()), FieldEncodingError);
}

TEST(HFSPlusCatalogKey, KeysForANameReadBackAsWritten) {
    for (const char* name : {"", "System Folder", "caf\xC3\xA9", "e\xCC\x81t\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC"}) {
        const HFSPlusCatalogKey key = HFSPlusCatalogKey::forName(42, name);
        const HFSPlusCatalogKey read{ImageBytes(key.dataBlock())};
        EXPECT_EQ(read, key) << name;
        EXPECT_EQ(read.nodeName, name);
    }
    EXPECT_EQ(HFSPlusCatalogKey::forName(1, "abc").keyLength, 12);
    EXPECT_EQ(HFSPlusCatalogKey::forName(1, "\xF0\x9F\x98\x80").keyLength, 10);
}

TEST(HFSPlusCatalogKey, CanonicalComposition) {
    EXPECT_EQ(HFSPlusCatalogKey::canonicallyComposed("cafe\xCC\x81"), "caf\xC3\xA9");
    EXPECT_EQ(HFSPlusCatalogKey::canonicallyComposed("caf\xC3\xA9"), "caf\xC3\xA9");
    // Hangul syllables compose too; compatibility forms are left alone.
    EXPECT_EQ(HFSPlusCatalogKey::canonicallyComposed("\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB"), "\xED\x95\x9C");
    EXPECT_EQ(HFSPlusCatalogKey::canonicallyComposed("\xEF\xAC\x81"), "\xEF\xAC\x81");  // the fi ligature
    EXPECT_EQ(HFSPlusCatalogKey::canonicallyComposed(""), "");
    EXPECT_EQ(HFSPlusCatalogKey::canonicallyComposed(std::string("\0a", 2)), std::string("\0a", 2));
}

TEST(HFSPlusCatalogKey, ChildrenOrder) {
    struct Case {
        const char* a;
        const char* b;
        std::strong_ordering order;
    };
    const std::vector<Case> cases = {
        {"Z", "a", std::strong_ordering::less},          // case-sensitive: upper case first
        {"a", "A", std::strong_ordering::greater},
        {"abc", "abcd", std::strong_ordering::less},     // a prefix first
        {"", "a", std::strong_ordering::less},
        {"cafe\xCC\x81", "caf\xC3\xA9", std::strong_ordering::equal},  // same text once composed
        {"caf\xC3\xA9", "caff", std::strong_ordering::greater},        // U+00E9 after 'f'
        {"cafe\xCC\x81", "caff", std::strong_ordering::greater},       // composed before comparing
        {"\xEF\xBF\xBD", "\xF0\x9F\x98\x80", std::strong_ordering::less},  // scalar values, not UTF-16 units
        {"b", "b", std::strong_ordering::equal},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HFSPlusCatalogKey::compareNodeNames(c.a, c.b), c.order) << c.a << " / " << c.b;
    }

    std::vector<std::string> names = {"b", "a", "Z", "\xC3\x89t\xC3\xA9", "E\xCC\x81t\xC3\xA9 2", "A", "10", "9"};
    std::stable_sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) {
        return HFSPlusCatalogKey::compareNodeNames(x, y) < 0;
    });
    EXPECT_EQ(names, (std::vector<std::string>{"10", "9", "A", "Z", "a", "b", "\xC3\x89t\xC3\xA9",
                                               "E\xCC\x81t\xC3\xA9 2"}));
}

}  // namespace
}  // namespace zorv
