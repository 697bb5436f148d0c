#pragma once

#include "data_access/BigEndianReader.hpp"

namespace zorv {

// The cursor of the MSA container header: big-endian integers, code page 437 text.
class MSAReaderBlock : public BigEndianReader {
public:
    explicit MSAReaderBlock(ImageBytes data, int64_t offset = 0) : BigEndianReader(std::move(data), offset, TextEncoding::codepage437) {}
};

}  // namespace zorv
