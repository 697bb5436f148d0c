#include "disk_image/formats/apple2/ApplesoftBasicParser.hpp"

#include <algorithm>

namespace zorv {
namespace {

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Runs of white space become one space; spaces and tabs go from both ends.
std::string tidied(const std::string& line) {
    std::string text;
    text.reserve(line.size());
    bool inRun = false;
    for (const char c : line) {
        if (isWhiteSpace(c)) {
            if (!inRun) text.push_back(' ');
            inRun = true;
        } else {
            text.push_back(c);
            inRun = false;
        }
    }
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

using Grammar = ApplesoftBasicParser::Grammar;

const std::array<std::string_view, Grammar::lastToken - Grammar::firstToken + 1> Grammar::commands{
        // 0x80-0x87
        "END", "FOR ", "NEXT ", "DATA ", "INPUT ", "DEL ", "DIM ", "READ ",
        // 0x88-0x8F
        "GR ", "TEXT", "PR #", "IN #", "CALL ", "PLOT ", "HLIN ", "VLIN ",
        // 0x90-0x97
        "HGR2", "HGR", "HCOLOR = ", "HPLOT ", "DRAW ", "XDRAW ", "HTAB ", "HOME",
        // 0x98-0x9F
        "ROT = ", "SCALE = ", "SHLOAD", "TRACE", "NOTRACE", "NORMAL", "INVERSE", "FLASH",
        // 0xA0-0xA7
        "COLOR = ", "POP", "VTAB ", "HIMEM: ", "LOMEM: ", "ONERR ", "RESUME", "RECALL ",
        // 0xA8-0xAF
        "STORE ", "SPEED = ", "LET ", "GOTO ", "RUN ", "IF ", "RESTORE", "& ",
        // 0xB0-0xB7
        "GOSUB ", "RETURN", "REM", "STOP", "ON ", "WAIT ", "LOAD", "SAVE",
        // 0xB8-0xBF
        "DEF ", "POKE ", "PRINT ", "CONT", "LIST ", "CLEAR", "GET ", "NEW",
        // 0xC0-0xC7
        "TAB(", " TO ", "FN ", "SPC(", " THEN ", "AT ", " NOT ", " STEP ",
        // 0xC8-0xCF
        " + ", " - ", " * ", " / ", " ^ ", " AND ", " OR ", " > ",
        // 0xD0-0xD7
        " = ", " < ", "SGN", "INT", "ABS", "USR", "FRE", "SCRN (",
        // 0xD8-0xDF
        "PDL", "POS", "SQR", "RND", "LOG", "EXP", "COS", "SIN",
        // 0xE0-0xE7
        "TAN", "ATN", "PEEK", "LEN", "STR$", "VAL", "ASC", "CHR$",
        // 0xE8-0xEA
        "LEFT$", "RIGHT$", "MID$",
};

ApplesoftBasicParser::ApplesoftBasicParser(ByteView program) {
    const ByteView data = program.first(std::min(program.size(), maximumProgramSize));
    size_t offset = 0;
    while (data.size() - offset >= 4) {
        const int64_t lineNumber = data[offset + 2] | data[offset + 3] << 8;
        offset += 4;
        std::string line;
        while (offset < data.size()) {
            const uint8_t byte = data[offset++];
            if (byte == 0x00) break;
            if (byte >= Grammar::firstToken && byte <= Grammar::lastToken) {
                line += Grammar::commands[byte - Grammar::firstToken];
            } else if (byte < 0x80) {
                line.push_back(static_cast<char>(byte));
            }
        }
        if (lineNumber != 0) listing_.push_back({lineNumber, tidied(line)});
    }
}

Bytes ApplesoftBasicParser::asTextData() const {
    Bytes text;
    for (const ApplesoftBasicLine& line : listing_) {
        const std::string number = std::to_string(line.lineNumber);
        text.insert(text.end(), number.begin(), number.end());
        text.push_back(' ');
        text.insert(text.end(), line.text.begin(), line.text.end());
        text.push_back('\n');
    }
    return text;
}

}  // namespace zorv
