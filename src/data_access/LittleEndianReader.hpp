#pragma once

#include "data_access/ReaderBlockRepresentable.hpp"

namespace zorv {

// A cursor that reads integers least significant byte first.
class LittleEndianReader : public ReaderBlockRepresentable {
public:
    LittleEndianReader(ImageBytes data, int64_t offset, TextEncoding encoding)
        : ReaderBlockRepresentable(std::move(data), offset, encoding, false) {}
};

}  // namespace zorv
