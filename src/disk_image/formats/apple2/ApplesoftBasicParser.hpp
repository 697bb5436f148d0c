#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"

namespace zorv {

// Turns a tokenised Applesoft BASIC program (a ProDOS file of type 0xFC) into
// numbered lines of text.
//
// A program is a run of lines, each: the memory address of the next line (2
// bytes, ignored), the line number (16-bit little-endian), the body (ASCII
// characters and token bytes 0x80 to 0xEA) and a 0x00 byte. It ends where
// fewer than four bytes remain, as after the usual end marker (a next-line
// address of 0 in the last two bytes).
//
// Each token becomes its keyword text, whose own spaces give the listing its
// spacing; then every run of white space in the line (inside strings and
// remarks too) becomes one space, and spaces and tabs are trimmed from both
// ends. Bytes 0xEB to 0xFF add nothing. Lines numbered 0 are dropped. A last
// line that runs to the end of the data without its 0x00 is listed as far as
// it goes. Any data gives a listing; nothing is refused.
//
// Only the first 64 KiB are read: a program lives in the Apple II's 64 KiB
// address space, its lines linked by 16-bit addresses, so nothing after them
// can belong to it. (Tokens spell up to nine characters, so this also keeps
// the listing of a damaged 16 MiB file from growing ninefold.)
class ApplesoftBasicParser {
public:
    struct ApplesoftBasicLine {
        int64_t lineNumber = 0;
        std::string text;  // without its number

        friend bool operator==(const ApplesoftBasicLine&, const ApplesoftBasicLine&) = default;
    };

    struct Grammar {
        static constexpr int firstToken = 0x80;
        static constexpr int lastToken = 0xEA;
        // The keyword of each token, from 0x80 (END) to 0xEA (MID$).
        static const std::array<std::string_view, lastToken - firstToken + 1> commands;
    };

    // The most bytes of a program that are read.
    static constexpr size_t maximumProgramSize = 65536;

    explicit ApplesoftBasicParser(ByteView data);

    const std::vector<ApplesoftBasicLine>& listing() const { return listing_; }

    // The listing as UTF-8 text: per line its number, a space, its text and
    // a line feed. Empty for an empty listing.
    Bytes asTextData() const;

private:
    std::vector<ApplesoftBasicLine> listing_;
};

}  // namespace zorv
