#pragma once

#include "data_access/BigEndianReader.hpp"

namespace zorv {

// The cursor of Amiga records: big-endian integers, ISO Latin 1 names.
class AmigaReaderBlock : public BigEndianReader {
public:
    explicit AmigaReaderBlock(ImageBytes data, int64_t offset = 0) : BigEndianReader(std::move(data), offset, TextEncoding::isoLatin1) {}
};

}  // namespace zorv
