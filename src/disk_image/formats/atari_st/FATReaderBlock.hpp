#pragma once

#include "data_access/LittleEndianReader.hpp"

namespace zorv {

// The cursor of Atari ST FAT structures: little-endian integers, code page 437 names.
class FATReaderBlock : public LittleEndianReader {
public:
    explicit FATReaderBlock(ImageBytes data, int64_t offset = 0) : LittleEndianReader(std::move(data), offset, TextEncoding::codepage437) {}
};

}  // namespace zorv
