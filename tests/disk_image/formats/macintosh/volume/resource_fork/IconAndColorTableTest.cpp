// The system palette, and what colour tables and icons decode to, damaged
// ones included: only whole entries and lines present are read, and a
// position outside a table, or a pixel beyond it, is black.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "disk_image/formats/macintosh/volume/resource_fork/ICL8Icon.hpp"
#include "disk_image/formats/macintosh/volume/resource_fork/SICNIcon.hpp"
#include "support/ByteBuilder.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

TEST(ColorTableTest, SystemPaletteHoldsTheStandardColours) {
    const ImageBytes& bytes = ColorTable::clut8();
    EXPECT_EQ(bytes.size(), 2056u);
    const ColorTable table(bytes);
    EXPECT_EQ(table.ctSeed, 8);
    EXPECT_EQ(table.ctFlags, 0x8000);
    EXPECT_EQ(table.ctSize, 255);
    ASSERT_EQ(table.ctTable.size(), 256u);
    const struct {
        size_t position;
        int64_t red, green, blue;
    } entries[] = {{0, 0xFFFF, 0xFFFF, 0xFFFF}, {1, 0xFFFF, 0xFFFF, 0xCCCC}, {35, 0xFFFF, 0, 0},
                   {180, 0, 0xFFFF, 0xFFFF},    {214, 0, 0, 0x3333},         {215, 0xEEEE, 0, 0},
                   {224, 0x1111, 0, 0},         {225, 0, 0xEEEE, 0},         {235, 0, 0, 0xEEEE},
                   {245, 0xEEEE, 0xEEEE, 0xEEEE}, {254, 0x1111, 0x1111, 0x1111}, {255, 0, 0, 0}};
    for (const auto& entry : entries) {
        EXPECT_EQ(table.ctTable[entry.position], (ColorSpec{0, entry.red, entry.green, entry.blue})) << entry.position;
        const Color expected{entry.red / 65535.0, entry.green / 65535.0, entry.blue / 65535.0, 1};
        EXPECT_EQ(table[static_cast<int64_t>(entry.position)], expected) << entry.position;
    }
}

// A colour as one character: W white, . black, R pure red, ? any other.
template <typename Colours>
std::string picture(const Colours& colours) {
    std::string text;
    for (const Color c : colours)
        text += c == Color::white ? 'W' : c == Color::black ? '.' : c == Color{1, 0, 0, 1} ? 'R' : '?';
    return text;
}

// Each row as picture() writes it.
std::vector<std::string> pictures(const PixelRows& rows) {
    std::vector<std::string> lines;
    for (const auto& row : rows) lines.push_back(picture(row));
    return lines;
}

// A colour table's header (ctSize as given), then an entry for each
// character of `colours` as picture() writes them: W white or R red.
Bytes table(int64_t ctSize, const std::string& colours, size_t trailingBytes = 0) {
    ByteBuilder bytes;
    bytes.u32(0).u16(0).u16(ctSize);
    for (size_t k = 0; k < colours.size(); ++k) {
        const int64_t greenAndBlue = colours[k] == 'W' ? 0xFFFF : 0;
        bytes.u16(static_cast<int64_t>(k)).u16(0xFFFF).u16(greenAndBlue).u16(greenAndBlue);
    }
    return bytes.zeros(trailingBytes);
}

// `size` bytes beginning with `first`, zeros after it.
Bytes pixels(size_t size, const Bytes& first) {
    Bytes bytes(size, 0);
    std::copy(first.begin(), first.end(), bytes.begin());
    return bytes;
}

struct Decoding {
    const char* name;
    std::function<std::vector<std::string>()> decode;
    size_t rows;
    std::string firstRow;  // picture()
};

// A colour table decodes to one row: its colour at position -1, at each of
// its entries, one past them and far past them.
std::function<std::vector<std::string>()> tableRow(const Bytes& bytes) {
    return [bytes] {
        const ColorTable colours{ImageBytes(bytes)};
        std::vector<Color> row{colours[-1]};
        for (int64_t k = 0; k <= std::ssize(colours.ctTable); ++k) row.push_back(colours[k]);
        row.push_back(colours[int64_t{1} << 40]);
        return std::vector<std::string>{picture(row)};
    };
}

class DecodingTest : public ::testing::TestWithParam<Decoding> {};

TEST_P(DecodingTest, ReadsWholeEntriesAndLinesOnly) {
    const auto rows = GetParam().decode();
    ASSERT_EQ(rows.size(), GetParam().rows);
    for (const auto& row : rows) EXPECT_EQ(row.size(), GetParam().firstRow.size());
    if (!rows.empty()) {
        EXPECT_EQ(rows[0], GetParam().firstRow);
    }
}

const std::string W16(16, 'W'), W28(28, 'W'), W29(29, 'W');

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodingTest,
    ::testing::Values(
        Decoding{"emptyTable", tableRow({}), 1, "..."},
        Decoding{"shortTableHeader", tableRow(ByteBuilder().u32(1).u16(2)), 1, "..."},
        Decoding{"tableHeaderOnly", tableRow(table(3, "")), 1, "..."},
        Decoding{"tableSizeZeroHoldsOneEntry", tableRow(table(0, "R")), 1, ".R.."},
        Decoding{"tableSizeBeyondItsBytes", tableRow(table(0xFFFF, "WR")), 1, ".WR.."},
        Decoding{"tablePartialLastEntry", tableRow(table(2, "WR", 7)), 1, ".WR.."},
        Decoding{"tableBytesBeyondItsSize", tableRow(table(0, "WR")), 1, ".W.."},
        Decoding{"sicnMostSignificantBitLeftSetBitsWhite", [] { return pictures(SICNIcon(pixels(32, {0x80, 1})).pixelArray); },
                 16, "W..............W"},
        Decoding{"sicnTwoStacked", [] { return pictures(SICNIcon(Bytes(64, 0xFF)).pixelArray); }, 32, W16},
        Decoding{"sicnByteAfterLastLine", [] { return pictures(SICNIcon(Bytes(33, 0xFF)).pixelArray); }, 16, W16},
        Decoding{"sicnPartialLine", [] { return pictures(SICNIcon(Bytes(1, 0xFF)).pixelArray); }, 0, ""},
        // 12 pixels at 1 bit take two bytes a line: the third byte is no whole
        // line, and no pixel is read past the buffer.
        Decoding{"oneBitLinesEndingMidByte",
                 [] { return pictures(SICNIcon(Bytes{}).createPixelArray(Bytes{0xA5, 0xF0, 0x3C}, 1, 12)); }, 1,
                 "W.W..W.WWWWW"},
        Decoding{"icl8SystemPalette",
                 [] { return pictures(ICL8Icon(pixels(1024, {0, 255, 35}), ColorTable(ColorTable::clut8())).pixelArray); }, 32,
                 "W.R" + W29},
        // White and red: pixel values 2 and up have no colour.
        Decoding{"icl8PixelBeyondItsTable",
                 [] { return pictures(ICL8Icon(pixels(32, {0, 1, 2, 255}), ColorTable{ImageBytes(table(1, "WR"))}).pixelArray); },
                 1, "WR.." + W28},
        Decoding{"icl8PartialLine", [] { return pictures(ICL8Icon(Bytes(31, 0), ColorTable()).pixelArray); }, 0, ""}),
    testing::namedBy(&Decoding::name));

}  // namespace
}  // namespace zorv
