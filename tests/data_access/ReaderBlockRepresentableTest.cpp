#include <gtest/gtest.h>

#include "data_access/BigEndianReader.hpp"
#include "data_access/Errors.hpp"
#include "data_access/LittleEndianReader.hpp"

namespace zorv {
namespace {

BigEndianReader big(Bytes bytes, TextEncoding encoding = TextEncoding::macOSRoman) {
    return BigEndianReader(std::move(bytes), 0, encoding);
}

struct SignatureMismatch {};

TEST(ReaderBlock, IntegersFollowTheCursorsByteOrder) {
    auto b = big({1, 2, 3, 4});
    LittleEndianReader l(Bytes{1, 2, 3, 4}, 0, TextEncoding::ascii);
    EXPECT_EQ(b.getInteger(), 0x0102);
    EXPECT_EQ(l.getInteger(), 0x0201);
    EXPECT_EQ(b.offset, 2);
    EXPECT_EQ(l.offset, 2);
    EXPECT_TRUE(b.isBigEndian());
    EXPECT_FALSE(l.isBigEndian());

    auto neg = big({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFE});
    EXPECT_EQ(neg.getSignedLongInteger(), -2);
    EXPECT_EQ(neg.getLongInteger(), 4294967294);
    LittleEndianReader lneg(Bytes{0xFE, 0xFF, 0xFF, 0xFF}, 0, TextEncoding::ascii);
    EXPECT_EQ(lneg.getSignedLongInteger(), -2);

    auto bytes = big({0x80, 0x80, 0x80, 0xFF});
    EXPECT_EQ(bytes.getSignedByte(), -128);
    EXPECT_EQ(bytes.getUnsignedByte(), 128);
    EXPECT_EQ(bytes.getSignedByteArray(2), (std::vector<int64_t>{128, 255}));

    auto wide = big({0, 0, 0, 0, 0, 0, 1, 0});
    EXPECT_EQ(wide.getLongLongInteger(), 256);
    auto topBit = big({0x80, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_THROW(topBit.getLongLongInteger(), ValueOutOfRangeError);
}

TEST(ReaderBlock, ArraysCountElementsNotBytes) {
    auto r = big({0, 1, 0, 2, 0, 0, 0, 3});
    EXPECT_EQ(r.getIntegerArray(2), (std::vector<int64_t>{1, 2}));
    EXPECT_EQ(r.getLongIntegerArray(1), (std::vector<int64_t>{3}));
    EXPECT_EQ(r.remainingLength(), 0);
    EXPECT_EQ(r.getRemainingData().size(), 0u);
}

TEST(ReaderBlock, PackedStringTrimsControlCharactersAtTheEndsOnly) {
    auto abc = big({0x41, 0x42, 0x43, 0, 0, 0, 0, 0});
    EXPECT_EQ(abc.getPackedString(8), "ABC");
    EXPECT_EQ(abc.offset, 8);
    auto spaced = big({0x20, 0x41, 0x42, 0, 0, 0, 0, 0});
    EXPECT_EQ(spaced.getPackedString(8), " AB");
    auto leadingNul = big({0x00, 0x41, 0x00, 0x00});
    EXPECT_EQ(leadingNul.getPackedString(4), "A");
    auto inner = big({0x41, 0x01, 0x42, 0x00});
    EXPECT_EQ(inner.getPackedString(4), "A\x01" "B");
    auto notAscii = big({0x41, 0xC1}, TextEncoding::ascii);
    EXPECT_EQ(notAscii.getPackedString(2), "");
    EXPECT_EQ(notAscii.offset, 2);
}

TEST(ReaderBlock, PascalStringsMoveByTheirField) {
    Bytes field = {5, 'H', 'e', 'l', 'l', 'o'};
    field.resize(28, 'z');
    auto r = big(field);
    EXPECT_EQ(r.getLengthByteString(28), "Hello");
    EXPECT_EQ(r.offset, 28);

    Bytes empty(28, 'q');
    empty[0] = 0;
    auto e = big(empty);
    EXPECT_EQ(e.getLengthByteString(28), "");
    EXPECT_EQ(e.offset, 28);

    auto noPad = big({3, 0x41, 0x42, 0x43, 0x09});
    EXPECT_EQ(noPad.getLengthByteStringNoPadding(), "ABC");
    EXPECT_EQ(noPad.offset, 4);
}

TEST(ReaderBlock, DamagedLengthBytesNeverReadPastTheBuffer) {
    // A length byte of 200 in a 28-byte field at the end of the data.
    Bytes field(28, 'a');
    field[0] = 200;
    auto r = big(field);
    EXPECT_THROW(r.getLengthByteString(28), ReadPastEndError);
    auto s = big({9, 'a', 'b'});
    EXPECT_THROW(s.getLengthByteStringNoPadding(), ReadPastEndError);
    // A length byte larger than the field takes bytes beyond it when they exist.
    Bytes longer = {4, 'a', 'b', 'c', 'd', 'e'};
    auto l = big(longer);
    EXPECT_EQ(l.getLengthByteString(2), "abcd");
    EXPECT_EQ(l.offset, 2);
}

TEST(ReaderBlock, DelimiterSearch) {
    auto r = big({0x41, 0x42, 0x0D, 0x0A, 0x43});
    const Bytes crlf = {0x0D, 0x0A};
    const auto found = r.getUpToDelimiter(crlf);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, (Bytes{0x41, 0x42}));
    EXPECT_EQ(r.offset, 4);
    const Bytes missing = {0xEE};
    EXPECT_FALSE(r.getUpToDelimiter(missing).has_value());
    EXPECT_EQ(r.offset, 4);
}

TEST(ReaderBlock, SignatureCheckMovesPastTheBytesEitherWay) {
    const Bytes hfsPlus = {0x48, 0x2B};
    auto mismatch = big({0x48, 0x58});
    EXPECT_THROW(mismatch.getAndCheckSignature(hfsPlus, SignatureMismatch{}), SignatureMismatch);
    EXPECT_EQ(mismatch.offset, 2);
    auto match = big({0x48, 0x2B});
    EXPECT_EQ(match.getAndCheckSignature(hfsPlus, SignatureMismatch{}), hfsPlus);
    auto tooShort = big({0x48});
    EXPECT_THROW(tooShort.getAndCheckSignature(hfsPlus, SignatureMismatch{}), ReadPastEndError);
}

TEST(ReaderBlock, PackBits) {
    // The repeat run gives three bytes; the literal run of three then follows whole.
    auto r = big({0xFE, 0xAA, 0x02, 0x80, 0x81, 0x82});
    EXPECT_EQ(r.getPackBits(4), (Bytes{0xAA, 0xAA, 0xAA, 0x80, 0x81, 0x82}));
    // -128 is a no-op header.
    auto skip = big({0x80, 0xFF, 0x41});
    EXPECT_EQ(skip.getPackBits(2), (Bytes{0x41, 0x41}));
    auto none = big({0x00, 0x41});
    EXPECT_EQ(none.getPackBits(0), Bytes{});
    EXPECT_EQ(none.offset, 0);
    // Input that ends before the output is complete.
    auto truncated = big({0x05, 0x41, 0x42});
    EXPECT_THROW(truncated.getPackBits(6), ReadPastEndError);
    auto onlyNoOps = big(Bytes(1000, 0x80));
    EXPECT_THROW(onlyNoOps.getPackBits(1), ReadPastEndError);
}

TEST(ReaderBlock, ReadsPastTheEndThrowAndDoNotMove) {
    auto r = big({1, 2, 3});
    r.offset = 2;
    EXPECT_THROW(r.getInteger(), ReadPastEndError);
    EXPECT_EQ(r.offset, 2);
    EXPECT_THROW(r.getLongInteger(), ReadPastEndError);
    EXPECT_THROW(r.getDataBlock(2), ReadPastEndError);
    EXPECT_THROW(r.getIntegerArray(1), ReadPastEndError);
    EXPECT_THROW(r.getIntegerArray(INT64_MAX / 2 + 1), std::exception);
    r.offset = -1;
    EXPECT_THROW(r.getByte(), ReadPastEndError);
    r.offset = 10;
    EXPECT_EQ(r.remainingLength(), 0);
    EXPECT_THROW(r.getRemainingData(), ReadPastEndError);
}

TEST(ReaderBlock, DataBlocksAreSlicesOfTheSameBuffer) {
    auto r = big({1, 2, 3, 4, 5});
    const ImageBytes block = r.getDataBlock(3);
    EXPECT_EQ(block.data(), r.data.data());
    EXPECT_EQ(r.getRemainingData(), (Bytes{4, 5}));
}

TEST(ReaderBlock, WordAlignment) {
    auto r = big(Bytes(10, 0));
    r.offset = 7;
    r.alignToWordBoundary();
    EXPECT_EQ(r.offset, 8);
    r.alignToWordBoundary();
    EXPECT_EQ(r.offset, 8);
}

}  // namespace
}  // namespace zorv
