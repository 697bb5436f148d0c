#pragma once

#include "data_access/ReaderBlockRepresentable.hpp"

namespace zorv {

// A cursor that reads integers most significant byte first.
class BigEndianReader : public ReaderBlockRepresentable {
public:
    BigEndianReader(ImageBytes data, int64_t offset, TextEncoding encoding)
        : ReaderBlockRepresentable(std::move(data), offset, encoding, true) {}
};

}  // namespace zorv
