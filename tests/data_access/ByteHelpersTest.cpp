#include <gtest/gtest.h>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Errors.hpp"

namespace zorv {
namespace {

TEST(ByteHelpers, IntegersFromTheStartOfABuffer) {
    const Bytes bytes = {0x12, 0x34, 0x56};
    EXPECT_EQ(fromBigEndian(bytes), 0x1234);
    EXPECT_EQ(fromLittleEndian(bytes), 0x3412);
    EXPECT_EQ(fromLongBigEndian(Bytes{}), 0u);
    EXPECT_EQ(fromLongLittleEndian(Bytes{1, 0, 0, 0, 9}), 1u);
    EXPECT_EQ(fromLongLongBigEndian(Bytes{0, 0, 0, 0, 0, 0, 1, 2}), 0x102u);
    EXPECT_EQ(fromLongLongLittleEndian(Bytes{2, 1, 0, 0, 0, 0, 0, 0}), 0x102u);
    EXPECT_THROW(fromLongBigEndian(bytes), ReadPastEndError);
}

TEST(ByteHelpers, IntegersToBytesOfTheirWidth) {
    EXPECT_EQ(toBigEndian(uint32_t{1}), (Bytes{0, 0, 0, 1}));
    EXPECT_EQ(toLittleEndian(uint32_t{1}), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(toBigEndian(int16_t{-2}), (Bytes{0xFF, 0xFE}));
    EXPECT_EQ(toBigEndian(uint8_t{7}), (Bytes{7}));
}

TEST(ByteHelpers, Bits) {
    const uint8_t value = 0x80;
    EXPECT_EQ(bit(value, 7), 1);
    EXPECT_EQ(bitFromLeft(value, 0), 1);
    EXPECT_FALSE(isBitSet(value, 0));
    EXPECT_TRUE(isBitSet(uint16_t{0x0100}, 8));
    EXPECT_EQ(highByte(0x1234), 0x12);
    EXPECT_EQ(lowByte(0x1234), 0x34);
}

TEST(ByteHelpers, FirstBitsSet) {
    EXPECT_EQ(bytesWithFirstBitsSet(4, 11), (Bytes{0xFF, 0xE0, 0, 0}));
    EXPECT_EQ(bytesWithFirstBitsSet(4, 16), (Bytes{0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(bytesWithFirstBitsSet(4, 0), Bytes(4, 0));
    EXPECT_EQ(bytesWithFirstBitsSet(4, 32), Bytes(4, 0xFF));
    EXPECT_EQ(bytesWithFirstBitsSet(1, 3), (Bytes{0xE0}));
    EXPECT_THROW(bytesWithFirstBitsSet(4, 33), FieldEncodingError);
    EXPECT_THROW(bytesWithFirstBitsSet(4, -1), FieldEncodingError);
}

TEST(ByteHelpers, HexText) {
    EXPECT_EQ(hexFormat(Bytes{0x00, 0xAB, 0x10}), "00 AB 10");
    EXPECT_EQ(hexFormat(Bytes{0x0F}), "0F");
    EXPECT_EQ(hexFormat(Bytes{}), "");
    EXPECT_EQ(hexFormatNo0Padding(0x5), "05");
    EXPECT_EQ(hexFormatNo0Padding(0x1A2), "1A2");
}

}  // namespace
}  // namespace zorv
