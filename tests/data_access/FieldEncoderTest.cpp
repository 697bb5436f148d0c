#include <gtest/gtest.h>

#include "data_access/Blockable.hpp"
#include "data_access/Errors.hpp"

namespace zorv {
namespace {

// A record of each byte order that exposes the family encoders to the tests.
template <Endianness E, TextEncoding T>
struct Probe : Blockable<Probe<E, T>, E, T> {
    using Base = Blockable<Probe<E, T>, E, T>;
    using Base::integer, Base::longInteger, Base::longLongInteger, Base::signedLongInteger, Base::signedByte,
        Base::integerArray, Base::longIntegerArray, Base::signedByteArray, Base::packedString,
        Base::lengthByteString, Base::lengthByteStringPaddedToWord;
    std::vector<Bytes> chunks;
    std::vector<Bytes> dataBlockArray() const { return chunks; }
};
using Big = Probe<Endianness::bigEndian, TextEncoding::macOSRoman>;
using Little = Probe<Endianness::littleEndian, TextEncoding::ascii>;

TEST(FieldEncoder, IntegersFollowTheFamilyByteOrder) {
    EXPECT_EQ(Big::integer(0x1234), (Bytes{0x12, 0x34}));
    EXPECT_EQ(Little::integer(0x1234), (Bytes{0x34, 0x12}));
    EXPECT_EQ(Big::integer(65535), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(Big::longInteger(0x01020304), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(Little::longInteger(0x01020304), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(Big::longLongInteger(1), (Bytes{0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(Little::longLongInteger(1), (Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Big::signedLongInteger(-1), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Little::signedLongInteger(-1), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Big::signedLongInteger(-2), (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(Little::signedLongInteger(-2), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Big::signedByte(255), (Bytes{0xFF}));
    EXPECT_EQ(Big::signedByte(0), (Bytes{0x00}));
}

TEST(FieldEncoder, ListsEncodeEachElementInOrder) {
    EXPECT_EQ(Big::integerArray(std::vector<int64_t>{1, 2}), (Bytes{0, 1, 0, 2}));
    EXPECT_EQ(Little::integerArray(std::vector<int64_t>{1, 2}), (Bytes{1, 0, 2, 0}));
    EXPECT_EQ(Big::integerArray(std::vector<int64_t>{}), Bytes{});
    EXPECT_EQ(Big::longIntegerArray(std::vector<int64_t>{7}), (Bytes{0, 0, 0, 7}));
    EXPECT_EQ(Big::signedByteArray(std::vector<int64_t>{1, 255}), (Bytes{1, 255}));
}

TEST(FieldEncoder, ValuesOutsideTheFieldAreRefusedNotWrapped) {
    EXPECT_THROW(Big::integer(65536), FieldEncodingError);
    EXPECT_THROW(Big::integer(-1), FieldEncodingError);
    EXPECT_THROW(Big::longInteger(0x100000000LL), FieldEncodingError);
    EXPECT_THROW(Big::longLongInteger(-1), FieldEncodingError);
    EXPECT_THROW(Big::signedLongInteger(0x80000000LL), FieldEncodingError);
    EXPECT_THROW(Big::signedLongInteger(-0x80000001LL), FieldEncodingError);
    EXPECT_THROW(Big::signedByte(256), FieldEncodingError);
    EXPECT_THROW(Big::signedByte(-1), FieldEncodingError);
    EXPECT_THROW(Big::integerArray(std::vector<int64_t>{1, 70000}), FieldEncodingError);
    EXPECT_NO_THROW(Big::signedLongInteger(INT32_MIN));
}

TEST(FieldEncoder, PackedStringPadsAndNeverTruncates) {
    EXPECT_EQ(Big::packedString("AB", 4), (Bytes{0x41, 0x42, 0, 0}));
    EXPECT_EQ(Big::packedString("", 4), (Bytes{0, 0, 0, 0}));
    // A character the encoding cannot represent empties the whole field.
    EXPECT_EQ(Big::packedString("A\u4E2D", 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Little::packedString("\u00E9", 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Big::packedString("ABCD", 4), (Bytes{0x41, 0x42, 0x43, 0x44}));
    EXPECT_THROW(Big::packedString("ABCDE", 4), FieldEncodingError);
    // Mac OS Roman: one byte per character.
    EXPECT_EQ(Big::packedString("\u00C9", 2), (Bytes{0x83, 0}));
}

TEST(FieldEncoder, LengthByteStringCutsAtTheField) {
    const Bytes untitled = Big::lengthByteString("Untitled", 27);
    ASSERT_EQ(untitled.size(), 28u);
    EXPECT_EQ(untitled[0], 8);
    EXPECT_EQ(std::string(untitled.begin() + 1, untitled.begin() + 9), "Untitled");
    EXPECT_TRUE(std::all_of(untitled.begin() + 9, untitled.end(), [](uint8_t b) { return b == 0; }));

    const std::string forty(40, 'x');
    const Bytes cut = Big::lengthByteString(forty, 31);
    ASSERT_EQ(cut.size(), 32u);
    EXPECT_EQ(cut[0], 31);
    EXPECT_EQ(std::string(cut.begin() + 1, cut.end()), std::string(31, 'x'));

    EXPECT_EQ(Big::lengthByteString("", 27), Bytes(28, 0));
    EXPECT_EQ(Big::lengthByteString("\u4E2D", 27), Bytes(28, 0));
    EXPECT_THROW(Big::lengthByteString("x", 256), FieldEncodingError);
}

TEST(FieldEncoder, LengthByteStringPaddedToWordHasEvenLength) {
    EXPECT_EQ(Big::lengthByteStringPaddedToWord("ABC"), (Bytes{3, 0x41, 0x42, 0x43}));
    EXPECT_EQ(Big::lengthByteStringPaddedToWord("AB"), (Bytes{2, 0x41, 0x42, 0}));
    EXPECT_EQ(Big::lengthByteStringPaddedToWord(""), (Bytes{0, 0}));
    EXPECT_EQ(Big::lengthByteStringPaddedToWord("\u4E2D"), Bytes{});
    EXPECT_THROW(Big::lengthByteStringPaddedToWord(std::string(256, 'a')), FieldEncodingError);
}

TEST(FieldEncoder, DataBlockJoinsTheChunksInOrder) {
    Big record;
    record.chunks = {{0x00, 0x01}, {0x02}, {}};
    EXPECT_EQ(record.dataBlock(), (Bytes{0x00, 0x01, 0x02}));
}

}  // namespace
}  // namespace zorv
