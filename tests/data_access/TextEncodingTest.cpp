#include "data_access/TextEncoding.hpp"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/ByteHelpers.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using namespace std::string_view_literals;

const char* encodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::macOSRoman: return "macOSRoman";
        case TextEncoding::isoLatin1: return "isoLatin1";
        case TextEncoding::ascii: return "ascii";
        case TextEncoding::codepage437: return "codepage437";
        case TextEncoding::utf16BigEndian: return "utf16BigEndian";
        case TextEncoding::utf8: return "utf8";
    }
    return "?";
}

// The single code point of `utf8`, read with ICU rather than our own decoder; std::nullopt when
// the text is not exactly one well-formed character.
std::optional<UChar32> singleCodePoint(std::string_view utf8) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    int32_t index = 0;
    UChar32 codePoint = 0;
    if (length == 0) {
        return std::nullopt;
    }
    U8_NEXT(bytes, index, length, codePoint);
    if (codePoint < 0 || index != length) {
        return std::nullopt;
    }
    return codePoint;
}

// ---------------------------------------------------------------------------------------------
// Single-byte encodings: every byte value must decode to one character and encode back to itself.

class TextEncodingSingleByteTest : public ::testing::TestWithParam<TextEncoding> {};

TEST_P(TextEncodingSingleByteTest, EveryByteDecodesToOneCharacterAndEncodesBack) {
    const TextEncoding encoding = GetParam();
    std::set<UChar32> seen;
    for (int value = 0; value <= 0xFF; ++value) {
        SCOPED_TRACE(::testing::Message() << "byte 0x" << std::hex << value);
        const Bytes byte{static_cast<uint8_t>(value)};
        const auto text = decodeText(byte, encoding);
        ASSERT_TRUE(text.has_value());
        const auto codePoint = singleCodePoint(*text);
        ASSERT_TRUE(codePoint.has_value()) << "not exactly one character";
        EXPECT_TRUE(seen.insert(*codePoint).second) << "two bytes decode to U+" << std::hex << *codePoint;
        EXPECT_EQ(characterCount(*text), 1u);
        EXPECT_EQ(encodeText(*text, encoding), byte);
    }
}

TEST_P(TextEncodingSingleByteTest, AllBytesAsOneBufferRoundTrip) {
    const TextEncoding encoding = GetParam();
    Bytes all;
    for (int value = 0; value <= 0xFF; ++value) {
        all.push_back(static_cast<uint8_t>(value));
    }
    const auto text = decodeText(all, encoding);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(characterCount(*text), 256u);
    EXPECT_EQ(encodeText(*text, encoding), all);
}

TEST_P(TextEncodingSingleByteTest, AsciiRangeIsIdentity) {
    const TextEncoding encoding = GetParam();
    for (int value = 0; value <= 0x7F; ++value) {
        const Bytes byte{static_cast<uint8_t>(value)};
        EXPECT_EQ(decodeText(byte, encoding), std::string(1, static_cast<char>(value)))
            << "byte 0x" << std::hex << value;
    }
}

INSTANTIATE_TEST_SUITE_P(,
                         TextEncodingSingleByteTest,
                         ::testing::Values(TextEncoding::macOSRoman, TextEncoding::isoLatin1,
                                           TextEncoding::codepage437),
                         testing::namedBy(encodingName));

// ---------------------------------------------------------------------------------------------
// ICU's converters as an independent oracle for the high halves of our tables.

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPointer = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPointer openStrictConverter(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPointer converter(ucnv_open(name, &status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    // Stop instead of substituting, so an unmapped byte shows up as an error.
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status)) {
        return nullptr;
    }
    return converter;
}

std::optional<UChar32> icuDecodeByte(UConverter* converter, uint8_t byte) {
    UChar units[4];
    UErrorCode status = U_ZERO_ERROR;
    const char source = static_cast<char>(byte);
    const int32_t length = ucnv_toUChars(converter, units, 4, &source, 1, &status);
    if (U_FAILURE(status) || length <= 0) {
        return std::nullopt;
    }
    int32_t index = 0;
    UChar32 codePoint = 0;
    U16_NEXT(units, index, length, codePoint);
    if (index != length) {
        return std::nullopt;
    }
    return codePoint;
}

// A byte where our table knowingly differs from ICU's converter.
struct KnownIcuDifference {
    uint8_t byte;
    UChar32 icuCodePoint;
};

void expectHighHalfMatchesIcu(UConverter* converter, TextEncoding encoding,
                              std::initializer_list<KnownIcuDifference> differences = {}) {
    for (int value = 0x80; value <= 0xFF; ++value) {
        SCOPED_TRACE(::testing::Message() << "byte 0x" << std::hex << value);
        const auto expected = icuDecodeByte(converter, static_cast<uint8_t>(value));
        ASSERT_TRUE(expected.has_value()) << "ICU does not map this byte to one character";
        const auto difference = std::find_if(differences.begin(), differences.end(),
                                             [&](const auto& known) { return known.byte == value; });
        if (difference != differences.end()) {
            // Still check ICU, so the exception does not silently hide a change on either side.
            EXPECT_EQ(*expected, difference->icuCodePoint);
            continue;
        }
        const auto text = decodeText(Bytes{static_cast<uint8_t>(value)}, encoding);
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(singleCodePoint(*text), expected) << "ICU gives U+" << std::hex << *expected;
    }
}

TEST(TextEncodingIcuOracleTest, MacOSRomanHighBytesMatchIcu) {
    const auto converter = openStrictConverter("macos-0_2-10.2");
    if (!converter) {
        GTEST_SKIP() << "ICU converter macos-0_2-10.2 is not available";
    }
    // Make sure this is the current Apple table (euro at 0xDB), not the old currency-sign one.
    ASSERT_EQ(icuDecodeByte(converter.get(), 0xDB), UChar32{0x20AC});
    expectHighHalfMatchesIcu(converter.get(), TextEncoding::macOSRoman);
}

TEST(TextEncodingIcuOracleTest, Codepage437HighBytesMatchIcu) {
    const auto converter = openStrictConverter("ibm-437");
    if (!converter) {
        GTEST_SKIP() << "ICU converter ibm-437 is not available";
    }
    // Only 0x80-0xFF: ICU's low bytes differ from ours by design (we keep control codes).
    // ICU's IBM table reads 0xE6 as Greek small mu (U+03BC); we follow the Unicode
    // consortium's CP437 mapping (also used by glibc and Python), which gives micro sign U+00B5.
    expectHighHalfMatchesIcu(converter.get(), TextEncoding::codepage437, {{0xE6, 0x03BC}});
}

// ---------------------------------------------------------------------------------------------
// Known values, checked in both directions.

struct KnownValue {
    TextEncoding encoding;
    std::vector<uint8_t> bytes;
    std::string_view utf8;
};

void PrintTo(const KnownValue& value, std::ostream* out) {
    *out << encodingName(value.encoding) << " \"" << value.utf8 << "\"";
}

// "macOSRoman_DB": the encoding and the bytes.
std::string knownValueName(const KnownValue& value) {
    const std::string bytes = value.bytes.empty() ? "no bytes" : hexFormat(value.bytes);
    return std::string(encodingName(value.encoding)) + " " + bytes;
}

class TextEncodingKnownValueTest : public ::testing::TestWithParam<KnownValue> {};

TEST_P(TextEncodingKnownValueTest, DecodesAndEncodes) {
    const KnownValue& value = GetParam();
    EXPECT_EQ(decodeText(value.bytes, value.encoding), std::string(value.utf8));
    EXPECT_EQ(encodeText(value.utf8, value.encoding), value.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncodingMacOSRoman,
    TextEncodingKnownValueTest,
    ::testing::Values(
        KnownValue{TextEncoding::macOSRoman, {0xDB}, "\u20AC"},  // euro sign
        KnownValue{TextEncoding::macOSRoman, {0xF0}, "\uF8FF"},  // Apple logo
        KnownValue{TextEncoding::macOSRoman, {0xCA}, "\u00A0"},  // no-break space
        KnownValue{TextEncoding::macOSRoman, {0xBD}, "\u03A9"},  // Greek capital omega, not ohm sign
        KnownValue{TextEncoding::macOSRoman, {0xC6}, "\u2206"},  // increment
        KnownValue{TextEncoding::macOSRoman, {0xB5}, "\u00B5"},  // micro sign
        KnownValue{TextEncoding::macOSRoman, {0xE1}, "\u00B7"},  // middle dot
        KnownValue{TextEncoding::macOSRoman, {0x54, 0x74, 0x83, 0x6B}, "Tt\u00C9k"},
        KnownValue{TextEncoding::macOSRoman, {0x00, 0x0D, 0x7F}, "\0\r\x7F"sv},
        KnownValue{TextEncoding::macOSRoman, {}, ""}),
    testing::namedBy(knownValueName));

INSTANTIATE_TEST_SUITE_P(
    TextEncodingCodepage437,
    TextEncodingKnownValueTest,
    ::testing::Values(
        KnownValue{TextEncoding::codepage437, {0x00, 0x01, 0x1F, 0x7F}, "\0\x01\x1F\x7F"sv},  // control codes
        KnownValue{TextEncoding::codepage437, {0x80}, "\u00C7"},
        KnownValue{TextEncoding::codepage437, {0x9E}, "\u20A7"},  // peseta sign
        KnownValue{TextEncoding::codepage437, {0xE1}, "\u00DF"},
        KnownValue{TextEncoding::codepage437, {0xE6}, "\u00B5"},
        KnownValue{TextEncoding::codepage437, {0xFA}, "\u00B7"},
        KnownValue{TextEncoding::codepage437, {0xFF}, "\u00A0"},
        KnownValue{TextEncoding::codepage437, {0xB0, 0xC9, 0xCD, 0xBB, 0xDB}, "\u2591\u2554\u2550\u2557\u2588"}),
    testing::namedBy(knownValueName));

INSTANTIATE_TEST_SUITE_P(
    TextEncodingOtherEncodings,
    TextEncodingKnownValueTest,
    ::testing::Values(
        KnownValue{TextEncoding::isoLatin1, {0xA9, 0xE9, 0xFF}, "\u00A9\u00E9\u00FF"},
        KnownValue{TextEncoding::isoLatin1, {0x80, 0x9F}, "\u0080\u009F"},
        KnownValue{TextEncoding::ascii, {0x00, 0x41, 0x7F}, "\0A\x7F"sv},
        KnownValue{TextEncoding::utf16BigEndian, {0x00, 0x41, 0xD8, 0x3D, 0xDE, 0x00}, "A\U0001F600"},
        KnownValue{TextEncoding::utf16BigEndian, {0xFE, 0xFF, 0x00, 0x41}, "\uFEFFA"},  // no BOM handling
        KnownValue{TextEncoding::utf16BigEndian, {0xFF, 0xFF}, "\uFFFF"},
        KnownValue{TextEncoding::utf16BigEndian, {0xD8, 0x00, 0xDC, 0x00}, "\U00010000"},
        KnownValue{TextEncoding::utf16BigEndian, {0xDB, 0xFF, 0xDF, 0xFF}, "\U0010FFFF"},
        KnownValue{TextEncoding::utf16BigEndian, {0x00, 0x00}, "\0"sv},
        KnownValue{TextEncoding::utf16BigEndian, {}, ""},
        KnownValue{TextEncoding::utf8, {0x41, 0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80}, "A\u00E9\U0001F600"},
        KnownValue{TextEncoding::utf8, {0xEF, 0xBF, 0xBF, 0xF4, 0x8F, 0xBF, 0xBF}, "\uFFFF\U0010FFFF"}),
    testing::namedBy(knownValueName));

// ---------------------------------------------------------------------------------------------
// Text that cannot be encoded: the result is std::nullopt, never a substitute or a prefix.

struct Unencodable {
    TextEncoding encoding;
    std::string_view utf8;
};

void PrintTo(const Unencodable& value, std::ostream* out) {
    *out << encodingName(value.encoding) << " \"" << value.utf8 << "\"";
}

std::string unencodableName(const Unencodable& value) {
    return std::string(encodingName(value.encoding)) + " " + std::string(value.utf8);
}

class TextEncodingUnencodableTest : public ::testing::TestWithParam<Unencodable> {};

TEST_P(TextEncodingUnencodableTest, EncodeFails) {
    EXPECT_EQ(encodeText(GetParam().utf8, GetParam().encoding), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncodingUnrepresentable,
    TextEncodingUnencodableTest,
    ::testing::Values(Unencodable{TextEncoding::ascii, "\u00E9"},
                      Unencodable{TextEncoding::ascii, "abc\u0080"},
                      Unencodable{TextEncoding::isoLatin1, "\u20AC"},
                      Unencodable{TextEncoding::isoLatin1, "A\u0100"},
                      Unencodable{TextEncoding::macOSRoman, "\u6F22"},        // CJK ideograph
                      Unencodable{TextEncoding::macOSRoman, "ab\u6F22cd"},    // no partial output
                      Unencodable{TextEncoding::macOSRoman, "e\u0301"},       // no composition
                      Unencodable{TextEncoding::macOSRoman, "\u2126"},        // ohm sign is not omega
                      Unencodable{TextEncoding::macOSRoman, "\u00A4"},        // old currency sign slot
                      Unencodable{TextEncoding::macOSRoman, "\U0001F600"},
                      Unencodable{TextEncoding::codepage437, "\u20AC"},
                      Unencodable{TextEncoding::codepage437, "\u263A"}),  // glyph of 0x01 is not 0x01
    testing::namedBy(unencodableName));

INSTANTIATE_TEST_SUITE_P(
    TextEncodingInvalidUtf8,
    TextEncodingUnencodableTest,
    ::testing::Values(Unencodable{TextEncoding::utf8, "\x80"},
                      Unencodable{TextEncoding::utf8, "A\xC3"},                  // truncated
                      Unencodable{TextEncoding::utf8, "\xC0\x80"},               // overlong NUL
                      Unencodable{TextEncoding::utf8, "\xE0\x80\xAF"},           // overlong
                      Unencodable{TextEncoding::utf8, "\xED\xA0\x80"},           // surrogate
                      Unencodable{TextEncoding::utf8, "\xF4\x90\x80\x80"},       // above U+10FFFF
                      Unencodable{TextEncoding::macOSRoman, "ab\xFF"},
                      Unencodable{TextEncoding::isoLatin1, "\xE9"},              // Latin-1 byte, not UTF-8
                      Unencodable{TextEncoding::ascii, "\xC3"},
                      Unencodable{TextEncoding::codepage437, "\xC3\x28"},
                      Unencodable{TextEncoding::utf16BigEndian, "\xED\xB0\x80"}),
    testing::namedBy(unencodableName));

// ---------------------------------------------------------------------------------------------
// Bytes that are not valid text in their encoding.

struct Undecodable {
    TextEncoding encoding;
    std::vector<uint8_t> bytes;
    const char* why;
};

void PrintTo(const Undecodable& value, std::ostream* out) {
    *out << encodingName(value.encoding) << ": " << value.why;
}

std::string undecodableName(const Undecodable& value) {
    return std::string(encodingName(value.encoding)) + " " + value.why;
}

class TextEncodingUndecodableTest : public ::testing::TestWithParam<Undecodable> {};

TEST_P(TextEncodingUndecodableTest, DecodeFails) {
    EXPECT_EQ(decodeText(GetParam().bytes, GetParam().encoding), std::nullopt) << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    TextEncodingInvalidBytes,
    TextEncodingUndecodableTest,
    ::testing::Values(
        Undecodable{TextEncoding::ascii, {0x80}, "high bit set"},
        Undecodable{TextEncoding::ascii, {0x41, 0xFF}, "high bit set after ASCII"},
        Undecodable{TextEncoding::utf16BigEndian, {0x00}, "odd length"},
        Undecodable{TextEncoding::utf16BigEndian, {0x00, 0x41, 0x00}, "odd length after a character"},
        Undecodable{TextEncoding::utf16BigEndian, {0xD8, 0x3D}, "high surrogate at end"},
        Undecodable{TextEncoding::utf16BigEndian, {0xD8, 0x3D, 0x00, 0x41}, "high surrogate then letter"},
        Undecodable{TextEncoding::utf16BigEndian, {0xD8, 0x3D, 0xD8, 0x3D}, "two high surrogates"},
        Undecodable{TextEncoding::utf16BigEndian, {0xDE, 0x00}, "lone low surrogate"},
        Undecodable{TextEncoding::utf16BigEndian, {0x00, 0x41, 0xDC, 0x00, 0xD8, 0x00}, "reversed pair"},
        Undecodable{TextEncoding::utf8, {0x80}, "stray continuation byte"},
        Undecodable{TextEncoding::utf8, {0xC1, 0xBF}, "overlong two-byte form"},
        Undecodable{TextEncoding::utf8, {0xE0, 0x9F, 0xBF}, "overlong three-byte form"},
        Undecodable{TextEncoding::utf8, {0xF0, 0x8F, 0xBF, 0xBF}, "overlong four-byte form"},
        Undecodable{TextEncoding::utf8, {0xED, 0xBF, 0xBF}, "encoded surrogate"},
        Undecodable{TextEncoding::utf8, {0xF4, 0x90, 0x80, 0x80}, "above U+10FFFF"},
        Undecodable{TextEncoding::utf8, {0xF5, 0x80, 0x80, 0x80}, "invalid lead byte"},
        Undecodable{TextEncoding::utf8, {0xE2, 0x82}, "truncated sequence"},
        Undecodable{TextEncoding::utf8, {0xE2, 0x82, 0x41}, "letter inside sequence"},
        Undecodable{TextEncoding::utf8, {0x41, 0xF0, 0x9F, 0x98}, "truncated at end"}),
    testing::namedBy(undecodableName));

// ---------------------------------------------------------------------------------------------

TEST(TextEncodingCharacterCountTest, CountsScalarValuesNotBytes) {
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("abc"), 3u);
    EXPECT_EQ(characterCount("\u00E9"), 1u);
    EXPECT_EQ(characterCount("\u20AC"), 1u);
    EXPECT_EQ(characterCount("\U0001F600"), 1u);
    EXPECT_EQ(characterCount("A\U0001F600\u00E9"), 3u);
    EXPECT_EQ(characterCount("\0\0"sv), 2u);
}

struct TrimCase {
    std::string_view input;
    std::string_view expected;
};

class TextEncodingTrimTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TextEncodingTrimTest, TrimsOnlyControlAndFormatCharactersAtTheEnds) {
    EXPECT_EQ(trimControlCharacters(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncodingTrimCases,
    TextEncodingTrimTest,
    ::testing::Values(TrimCase{"\0A\0"sv, "A"},
                      TrimCase{"AB\0\0\0\0"sv, "AB"},
                      TrimCase{" AB", " AB"},                          // spaces stay
                      TrimCase{"AB ", "AB "},
                      TrimCase{"A\x01" "B", "A\x01" "B"},              // inner control stays
                      TrimCase{"A\0B"sv, "A\0B"sv},
                      TrimCase{"\u200BAB\u200B", "AB"},                // zero width space is Cf
                      TrimCase{"\uFEFFA\u00ADB\u00AD", "A\u00ADB"},    // BOM and soft hyphen are Cf
                      TrimCase{"\u0085\r\nX\t\x7F", "X"},              // C1 and C0 controls
                      TrimCase{"\u00A0X\u00A0", "\u00A0X\u00A0"},      // no-break space is Zs
                      TrimCase{"\u00E9\x01", "\u00E9"},
                      TrimCase{"\x01\U0001F600\x01", "\U0001F600"},
                      TrimCase{"\U000E0001X\U000E007F", "X"},          // tag characters are Cf
                      TrimCase{"\0\x01\u200B"sv, ""},
                      TrimCase{"", ""}),
    testing::namedBy(&TrimCase::input));

struct PrintableCase {
    std::string_view input;
    std::string_view expected;
};

class TextEncodingPrintableTest : public ::testing::TestWithParam<PrintableCase> {};

TEST_P(TextEncodingPrintableTest, ControlCharactersShowAsQuestionMarks) {
    EXPECT_EQ(printableText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncodingPrintableCases,
    TextEncodingPrintableTest,
    ::testing::Values(PrintableCase{"Icon\r", "Icon?"},                      // a custom-icon file
                      PrintableCase{"X\x1B[2J", "X?[2J"},                     // clears the screen
                      PrintableCase{"\0\0\0\0HFS+ Private Data"sv, "????HFS+ Private Data"},
                      PrintableCase{"\x01\t\n\x1F \x7E\x7F", "???? ~?"},   // C0 and DEL; space and ~ stay
                      PrintableCase{"\u0080A\u0085\u009F", "?A??"},            // C1 controls
                      PrintableCase{"\u00A0\u00E9\u00C2\u20AC\U0001F4BE", "\u00A0\u00E9\u00C2\u20AC\U0001F4BE"},
                      PrintableCase{"A\xC2", "A\xC2"},                        // malformed: kept
                      PrintableCase{"\xFF\x85", "\xFF\x85"},
                      PrintableCase{"", ""}),
    testing::namedBy(&PrintableCase::input));

TEST(TextEncodingTrimMalformedTest, StopsAtMalformedUtf8) {
    EXPECT_EQ(trimControlCharacters("\x01\xFF" "A\x01"), "\xFF" "A");
    EXPECT_EQ(trimControlCharacters("A\x80\x01"), "A\x80");
    EXPECT_EQ(trimControlCharacters("\x01\xE2\x80"), "\xE2\x80");
}

}  // namespace
}  // namespace zorv
