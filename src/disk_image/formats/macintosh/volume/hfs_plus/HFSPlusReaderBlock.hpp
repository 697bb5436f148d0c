#pragma once

#include "data_access/BigEndianReader.hpp"

namespace zorv {

// The cursor of HFS+ records: big-endian integers, UTF-16 big-endian text.
class HFSPlusReaderBlock : public BigEndianReader {
public:
    explicit HFSPlusReaderBlock(ImageBytes data, int64_t offset = 0) : BigEndianReader(std::move(data), offset, TextEncoding::utf16BigEndian) {}
};

}  // namespace zorv
