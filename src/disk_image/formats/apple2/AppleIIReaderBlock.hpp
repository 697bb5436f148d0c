#pragma once

#include "data_access/LittleEndianReader.hpp"

namespace zorv {

// The cursor of Apple II records: little-endian integers, ASCII text.
class AppleIIReaderBlock : public LittleEndianReader {
public:
    explicit AppleIIReaderBlock(ImageBytes data, int64_t offset = 0) : LittleEndianReader(std::move(data), offset, TextEncoding::ascii) {}
};

}  // namespace zorv
