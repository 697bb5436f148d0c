// The Applesoft BASIC detokeniser.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk_image/formats/apple2/ApplesoftBasicParser.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using Line = ApplesoftBasicParser::ApplesoftBasicLine;

// One program line: a next-line address (any), the number, the body and the
// terminating zero.
Bytes line(int number, const Bytes& body) {
    Bytes bytes{0x34, 0x12, static_cast<uint8_t>(number & 0xFF), static_cast<uint8_t>(number >> 8)};
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(0x00);
    return bytes;
}

Bytes join(const std::vector<Bytes>& parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

struct ListingCase {
    const char* name;
    Bytes program;
    std::vector<Line> listing;
};

class ApplesoftListingTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(ApplesoftListingTest, Lists) { EXPECT_EQ(ApplesoftBasicParser(GetParam().program).listing(), GetParam().listing); }

INSTANTIATE_TEST_SUITE_P(
        ApplesoftBasicParser, ApplesoftListingTest,
        ::testing::Values(
                ListingCase{"printHi", {0x01, 0x08, 0x0A, 0x00, 0xBA, 0x22, 0x48, 0x49, 0x22, 0x00, 0x00, 0x00},
                            {{10, "PRINT \"HI\""}}},
                ListingCase{"tokensCarryTheirSpaces", line(20, {0x81, 0x49, 0xD0, 0x31, 0xC1, 0x31, 0x30}),
                            {{20, "FOR I = 1 TO 10"}}},
                ListingCase{"typedSpaceMergesWithTokenSpace", line(30, {0xBA, 0x20, 0x41}), {{30, "PRINT A"}}},
                ListingCase{"trailingTokenSpaceTrimmed", line(40, {0x81}), {{40, "FOR"}}},
                ListingCase{"lineZeroDropped", join({line(0, {0x80}), line(5, {0x80})}), {{5, "END"}}},
                ListingCase{"empty", {}, {}},
                ListingCase{"oneByte", {0x01}, {}},
                ListingCase{"twoBytes", {0x01, 0x08}, {}},
                ListingCase{"threeBytes", {0x01, 0x08, 0x0A}, {}},
                ListingCase{"endMarkerOnly", {0x00, 0x00}, {}},
                ListingCase{"onlySpaces", line(50, {0x20, 0x20, 0x20}), {{50, ""}}},
                ListingCase{"bytesAboveTheTokensAddNothing", line(60, {0x41, 0xF0, 0xEB, 0xFF, 0x42}), {{60, "AB"}}},
                ListingCase{"carriageReturnIsWhiteSpace", line(70, {0x41, 0x20, 0x0D, 0x20, 0x42}), {{70, "A B"}}},
                // Inside strings and remarks too.
                ListingCase{"collapsesInsideStrings", line(80, {0xB2, 0x20, 0x20, 0x58, 0x09, 0x09, 0x59}),
                            {{80, "REM X Y"}}},
                ListingCase{"numbersAndOrderAsStored", join({line(65535, {0x80}), line(1, {0x80})}),
                            {{65535, "END"}, {1, "END"}}},
                // A last line without its terminator is listed as far as it goes.
                ListingCase{"unterminatedLastLine", {0x01, 0x08, 0x0A, 0x00, 0xBA, 0x41}, {{10, "PRINT A"}}},
                // Fewer than four bytes after a line end the program.
                ListingCase{"shortTailIgnored", join({line(90, {0x80}), {0x00, 0x00, 0x64}}), {{90, "END"}}}),
        testing::namedBy(&ListingCase::name));

TEST(ApplesoftBasicParserTest, EveryTokenHasItsKeyword) {
    const auto& commands = ApplesoftBasicParser::Grammar::commands;
    ASSERT_EQ(commands.size(), 107u);
    const std::vector<std::pair<uint8_t, std::string>> samples{
            {0x80, "END"},     {0x8A, "PR #"},  {0x92, "HCOLOR = "}, {0xA3, "HIMEM: "}, {0xAF, "& "},
            {0xB2, "REM"},     {0xC0, "TAB("}, {0xC4, " THEN "},    {0xD7, "SCRN ("}, {0xE4, "STR$"},
            {0xEA, "MID$"}};
    for (const auto& [token, keyword] : samples) EXPECT_EQ(commands[token - 0x80], keyword) << int(token);
}

TEST(ApplesoftBasicParserTest, TextHasOneLinePerProgramLine) {
    const Bytes program{0x01, 0x08, 0x0A, 0x00, 0xBA, 0x22, 0x48, 0x49, 0x22, 0x00, 0x00, 0x00};
    EXPECT_EQ(text(ApplesoftBasicParser(program).asTextData()), "10 PRINT \"HI\"\n");

    const Bytes two = join({line(100, {0x89, 0x3A, 0x9D, 0x3A, 0x97}), line(110, {0x80})});
    EXPECT_EQ(text(ApplesoftBasicParser(two).asTextData()), "100 TEXT:NORMAL:HOME\n110 END\n");

    EXPECT_TRUE(ApplesoftBasicParser(Bytes{}).asTextData().empty());
}

TEST(ApplesoftBasicParserTest, ReadsTheFirst64KiBOnly) {
    // A remark line filling the first 64 KiB exactly, then a line that no
    // Apple II could hold with it.
    Bytes program = line(10, Bytes(65536 - 5, 'X'));
    ASSERT_EQ(program.size(), 65536u);
    const Bytes beyond = line(20, {0x80});
    program.insert(program.end(), beyond.begin(), beyond.end());
    const auto listing = ApplesoftBasicParser(program).listing();
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing[0].lineNumber, 10);
    EXPECT_EQ(listing[0].text.size(), 65531u);
}

}  // namespace
}  // namespace zorv
