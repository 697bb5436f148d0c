#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"

namespace zorv {

// Character sets met in names and text stored on vintage disk images. Inside the program all
// text is UTF-8; these are the encodings used on disk.
enum class TextEncoding {
    macOSRoman,      // classic Macintosh volumes (HFS, MFS), Apple's current Mac OS Roman table
    isoLatin1,       // ISO 8859-1: byte value equals code point
    ascii,           // strict 7-bit ASCII
    codepage437,     // IBM PC / FAT volumes; 0x00-0x1F and 0x7F are kept as control codes
    utf16BigEndian,  // HFS+ names; no byte order mark is read or written
    utf8,
};

// Decodes bytes to UTF-8 text; std::nullopt when the bytes are not valid text in that encoding.
std::optional<std::string> decodeText(ByteView bytes, TextEncoding encoding);

// The same for Mac OS Roman, in which every byte is a character: never fails. ASCII is copied as
// it is.
std::string decodeMacOSRoman(ByteView bytes);
// The same into `into`, whose room is reused.
void decodeMacOSRoman(ByteView bytes, std::string& into);

// Encodes UTF-8 text; std::nullopt when the text is not valid UTF-8 or any character cannot be
// represented in the target encoding (never lossy: no replacement characters, no partial output).
std::optional<Bytes> encodeText(std::string_view text, TextEncoding encoding);

// Number of Unicode scalar values (characters) in valid UTF-8 text (used to decide padding of
// Pascal strings). For malformed input the result counts the bytes that are not UTF-8
// continuation bytes.
size_t characterCount(std::string_view utf8);

// Removes characters of Unicode general category Cc or Cf (NUL included) from both ends of the
// text only; such characters inside the text and spaces at either end stay. Trimming stops at a
// malformed UTF-8 sequence, which is left in place.
std::string trimControlCharacters(std::string_view utf8);

// The text as shown to people on a terminal: each control character (U+0000-U+001F and
// U+007F-U+009F) becomes "?", as `ls` shows names, so that a name read from a disk can neither
// move the cursor, clear the screen nor break a line. Everything else, malformed UTF-8
// included, is kept as it is.
std::string printableText(std::string_view utf8);
// The same, appended to `into`.
void appendPrintableText(std::string& into, std::string_view utf8);

// Whether every byte of the text is ASCII (such text is its own composition,
// and counts a character a byte).
inline bool isASCII(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// The canonical composition (NFC) of UTF-8 text, so that canonically equivalent texts are equal
// and, compared byte by byte, order by their Unicode scalar values. ASCII is its own; text ICU
// cannot normalise is kept as it is.
std::string canonicallyComposed(std::string_view utf8);

// The offsets in UTF-8 text at which its user-perceived characters (extended grapheme clusters)
// end, in order; the ends of code points if ICU cannot open a break iterator.
std::vector<size_t> characterEnds(std::string_view utf8);

}  // namespace zorv
