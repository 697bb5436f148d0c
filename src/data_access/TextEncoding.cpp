#include "data_access/TextEncoding.hpp"

#include <unicode/normalizer2.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace zorv {

namespace {

// Bytes 0x80-0xFF of Mac OS Roman, as in Apple's ROMAN.TXT (the Mac OS 8.5 and later table:
// 0xDB is the euro sign, 0xBD Greek capital omega, 0xC6 increment, 0xF0 the Apple logo in the
// private use area). Bytes 0x00-0x7F are ASCII.
constexpr std::array<char16_t, 128> kMacOSRomanHigh = {
    // 0x80
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    // 0x90
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    // 0xA0
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    // 0xB0
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    // 0xC0
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    // 0xD0
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    // 0xE0
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    // 0xF0
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// Bytes 0x80-0xFF of IBM code page 437. Bytes 0x00-0x7F are ASCII: the low bytes are read as
// control codes rather than the smiley and arrow glyphs the PC display ROM draws for them, so
// that text survives a round trip unchanged.
constexpr std::array<char16_t, 128> kCodepage437High = {
    // 0x80
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    // 0x90
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    // 0xA0
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    // 0xB0
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    // 0xC0
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    // 0xD0
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    // 0xE0
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    // 0xF0
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Encoding looks characters up in the same table, so every entry must be outside ASCII and
// appear only once; otherwise encoding would not be the exact inverse of decoding.
constexpr bool isInvertibleHighTable(const std::array<char16_t, 128>& table) {
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i] < 0x80) {
            return false;
        }
        for (size_t j = i + 1; j < table.size(); ++j) {
            if (table[i] == table[j]) {
                return false;
            }
        }
    }
    return true;
}
static_assert(isInvertibleHighTable(kMacOSRomanHigh));
static_assert(isInvertibleHighTable(kCodepage437High));

struct Utf8Step {
    char32_t codePoint;
    size_t length;
};

// Reads one UTF-8 sequence at `offset`. Rejects truncated sequences, stray continuation bytes,
// overlong forms, surrogates and values above U+10FFFF.
std::optional<Utf8Step> nextCodePoint(std::string_view text, size_t offset) {
    const auto byteAt = [&](size_t i) { return static_cast<uint8_t>(text[offset + i]); };
    const uint8_t lead = byteAt(0);
    if (lead < 0x80) {
        return Utf8Step{lead, 1};
    }

    size_t length = 0;
    char32_t codePoint = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        // 0x80-0xBF are continuation bytes, 0xC0/0xC1 can only start overlong forms and
        // 0xF5-0xFF would start values beyond U+10FFFF.
        return std::nullopt;
    }
    if (text.size() - offset < length) {
        return std::nullopt;
    }
    for (size_t i = 1; i < length; ++i) {
        const uint8_t continuation = byteAt(i);
        if ((continuation & 0xC0) != 0x80) {
            return std::nullopt;
        }
        codePoint = (codePoint << 6) | (continuation & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return std::nullopt;
    }
    return Utf8Step{codePoint, length};
}

// All code points of `text`, or std::nullopt when it is not valid UTF-8.
std::optional<std::u32string> codePointsOf(std::string_view text) {
    std::u32string codePoints;
    codePoints.reserve(text.size());
    for (size_t offset = 0; offset < text.size();) {
        const auto step = nextCodePoint(text, offset);
        if (!step) {
            return std::nullopt;
        }
        codePoints.push_back(step->codePoint);
        offset += step->length;
    }
    return codePoints;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    const auto put = [&](uint32_t value) { out.push_back(static_cast<char>(value)); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | (codePoint >> 6));
        put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | (codePoint >> 12));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | (codePoint >> 18));
        put(0x80 | ((codePoint >> 12) & 0x3F));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    }
}

void decodeWithHighTable(ByteView bytes, const std::array<char16_t, 128>& high, std::string& text) {
    // Most names are ASCII, which both tables leave as it is.
    const auto firstHigh = std::find_if(bytes.begin(), bytes.end(), [](uint8_t byte) { return byte >= 0x80; });
    text.assign(reinterpret_cast<const char*>(bytes.data()), static_cast<size_t>(firstHigh - bytes.begin()));
    if (firstHigh == bytes.end()) return;
    text.reserve(bytes.size() + 8);
    for (auto byte = firstHigh; byte != bytes.end(); ++byte) {
        appendUtf8(text, *byte < 0x80 ? char32_t{*byte} : char32_t{high[*byte - 0x80]});
    }
}

std::string decodeWithHighTable(ByteView bytes, const std::array<char16_t, 128>& high) {
    std::string text;
    decodeWithHighTable(bytes, high, text);
    return text;
}

std::optional<uint8_t> encodeWithHighTable(char32_t codePoint, const std::array<char16_t, 128>& high) {
    if (codePoint < 0x80) {
        return static_cast<uint8_t>(codePoint);
    }
    // A linear search over 128 entries is cheap next to everything else done with a name.
    const auto found = std::find(high.begin(), high.end(), codePoint);
    if (found == high.end()) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(0x80 + (found - high.begin()));
}

std::optional<std::string> decodeUtf16BigEndian(ByteView bytes) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    const auto unitAt = [&](size_t index) {
        return static_cast<char32_t>((bytes[index] << 8) | bytes[index + 1]);
    };
    std::string text;
    text.reserve(bytes.size());
    for (size_t index = 0; index < bytes.size(); index += 2) {
        const char32_t unit = unitAt(index);
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return std::nullopt;  // low surrogate without a high one before it
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (index + 2 >= bytes.size()) {
                return std::nullopt;
            }
            const char32_t low = unitAt(index + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return std::nullopt;
            }
            appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            index += 2;
        } else {
            appendUtf8(text, unit);
        }
    }
    return text;
}

void appendUtf16BigEndian(Bytes& out, char32_t codePoint) {
    const auto putUnit = [&](char32_t unit) {
        out.push_back(static_cast<uint8_t>(unit >> 8));
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
    };
    if (codePoint < 0x10000) {
        putUnit(codePoint);
    } else {
        const char32_t offset = codePoint - 0x10000;
        putUnit(0xD800 + (offset >> 10));
        putUnit(0xDC00 + (offset & 0x3FF));
    }
}

bool isControlOrFormat(char32_t codePoint) {
    const auto category = u_charType(static_cast<UChar32>(codePoint));
    return category == U_CONTROL_CHAR || category == U_FORMAT_CHAR;
}

}  // namespace

std::string decodeMacOSRoman(ByteView bytes) { return decodeWithHighTable(bytes, kMacOSRomanHigh); }

void decodeMacOSRoman(ByteView bytes, std::string& into) { decodeWithHighTable(bytes, kMacOSRomanHigh, into); }

std::optional<std::string> decodeText(ByteView bytes, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::macOSRoman:
            return decodeWithHighTable(bytes, kMacOSRomanHigh);
        case TextEncoding::codepage437:
            return decodeWithHighTable(bytes, kCodepage437High);
        case TextEncoding::isoLatin1: {
            std::string text;
            text.reserve(bytes.size());
            for (const uint8_t byte : bytes) {
                appendUtf8(text, byte);
            }
            return text;
        }
        case TextEncoding::ascii:
            if (std::any_of(bytes.begin(), bytes.end(), [](uint8_t byte) { return byte >= 0x80; })) {
                return std::nullopt;
            }
            return std::string(bytes.begin(), bytes.end());
        case TextEncoding::utf16BigEndian:
            return decodeUtf16BigEndian(bytes);
        case TextEncoding::utf8: {
            std::string text(bytes.begin(), bytes.end());
            if (!codePointsOf(text)) {
                return std::nullopt;
            }
            return text;
        }
    }
    return std::nullopt;
}

std::optional<Bytes> encodeText(std::string_view text, TextEncoding encoding) {
    const auto codePoints = codePointsOf(text);
    if (!codePoints) {
        return std::nullopt;
    }

    Bytes out;
    out.reserve(encoding == TextEncoding::utf16BigEndian ? codePoints->size() * 4 : text.size());
    for (const char32_t codePoint : *codePoints) {
        std::optional<uint8_t> byte;
        switch (encoding) {
            case TextEncoding::macOSRoman:
                byte = encodeWithHighTable(codePoint, kMacOSRomanHigh);
                break;
            case TextEncoding::codepage437:
                byte = encodeWithHighTable(codePoint, kCodepage437High);
                break;
            case TextEncoding::isoLatin1:
                if (codePoint <= 0xFF) {
                    byte = static_cast<uint8_t>(codePoint);
                }
                break;
            case TextEncoding::ascii:
                if (codePoint <= 0x7F) {
                    byte = static_cast<uint8_t>(codePoint);
                }
                break;
            case TextEncoding::utf16BigEndian:
                appendUtf16BigEndian(out, codePoint);
                continue;
            case TextEncoding::utf8:
                return Bytes(text.begin(), text.end());
        }
        if (!byte) {
            return std::nullopt;
        }
        out.push_back(*byte);
    }
    return out;
}

size_t characterCount(std::string_view utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<uint8_t>(c) & 0xC0) != 0x80;
    }));
}

std::string trimControlCharacters(std::string_view utf8) {
    size_t begin = 0;
    while (begin < utf8.size()) {
        const auto step = nextCodePoint(utf8, begin);
        if (!step || !isControlOrFormat(step->codePoint)) {
            break;
        }
        begin += step->length;
    }

    size_t end = utf8.size();
    while (end > begin) {
        // Step back over up to three continuation bytes to the start of the last character,
        // then read it forwards; it only counts if it ends exactly at `end`.
        size_t start = end - 1;
        while (start > begin && end - start < 4 && (static_cast<uint8_t>(utf8[start]) & 0xC0) == 0x80) {
            --start;
        }
        const auto step = nextCodePoint(utf8.substr(0, end), start);
        if (!step || start + step->length != end || !isControlOrFormat(step->codePoint)) {
            break;
        }
        end = start;
    }
    return std::string(utf8.substr(begin, end - begin));
}

std::string printableText(std::string_view utf8) {
    std::string shown;
    appendPrintableText(shown, utf8);
    return shown;
}

void appendPrintableText(std::string& into, std::string_view utf8) {
    // Most text has no control character, nor the lead byte of a C1 one.
    if (std::none_of(utf8.begin(), utf8.end(), [](char c) {
            const auto byte = static_cast<uint8_t>(c);
            return byte < 0x20 || byte == 0x7F || byte == 0xC2;
        })) {
        into += utf8;
        return;
    }
    into.reserve(into.size() + utf8.size());
    for (size_t index = 0; index < utf8.size(); ++index) {
        const auto byte = static_cast<uint8_t>(utf8[index]);
        // C1 controls are U+0080-U+009F: 0xC2 followed by 0x80-0x9F in UTF-8.
        const bool c1 = byte == 0xC2 && index + 1 < utf8.size() && static_cast<uint8_t>(utf8[index + 1]) >= 0x80 &&
                        static_cast<uint8_t>(utf8[index + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || c1) {
            into += '?';
            if (c1) ++index;
        } else {
            into += static_cast<char>(byte);
        }
    }
}

std::string canonicallyComposed(std::string_view utf8) {
    if (isASCII(utf8)) return std::string(utf8);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* composer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || composer == nullptr) return std::string(utf8);
    const icu::UnicodeString composed = composer->normalize(icu::UnicodeString::fromUTF8(utf8), status);
    if (U_FAILURE(status)) return std::string(utf8);
    std::string result;
    composed.toUTF8String(result);
    return result;
}

std::vector<size_t> characterEnds(std::string_view utf8) {
    std::vector<size_t> ends;
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, utf8.data(), static_cast<int64_t>(utf8.size()), &status);
    UBreakIterator* breaks = ubrk_open(UBRK_CHARACTER, nullptr, nullptr, 0, &status);
    if (U_SUCCESS(status)) ubrk_setUText(breaks, utext, &status);
    if (U_SUCCESS(status)) {
        ubrk_first(breaks);
        for (int32_t end = ubrk_next(breaks); end != UBRK_DONE; end = ubrk_next(breaks)) {
            ends.push_back(static_cast<size_t>(end));
        }
    } else {
        for (size_t index = 1; index <= utf8.size(); ++index) {
            if (index == utf8.size() || (static_cast<unsigned char>(utf8[index]) & 0xC0) != 0x80) ends.push_back(index);
        }
    }
    if (breaks != nullptr) ubrk_close(breaks);
    if (utext != nullptr) utext_close(utext);
    return ends;
}

}  // namespace zorv
