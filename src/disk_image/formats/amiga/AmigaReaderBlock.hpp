#pragma once

#include <string>

#include "data_access/BigEndianReader.hpp"
#include "disk_image/formats/amiga/AmigaDateComponents.hpp"

namespace zorv {

// The cursor of Amiga records: big-endian integers, ISO Latin 1 names.
class AmigaReaderBlock : public BigEndianReader {
public:
    explicit AmigaReaderBlock(ImageBytes data, int64_t offset = 0) : BigEndianReader(std::move(data), offset, TextEncoding::isoLatin1) {}

    // A BCPL string in a fixed field of `length` bytes: a length byte L, then
    // L characters. A damaged disk may store an L larger than the field: the
    // text then runs into the fields after it, as AmigaDOS would read it, but
    // stops at the end of the buffer (the block being read). The offset moves
    // by `length` whatever L is. Throws ReadPastEndError when the field itself
    // is not inside the buffer.
    std::string getBCPLString(int64_t length);

    // Three longs: days, minutes, ticks.
    AmigaDateComponents getAmigaDate();
};

}  // namespace zorv
