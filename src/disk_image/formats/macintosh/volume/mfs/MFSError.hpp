#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why an MFS volume's records cannot be read.
class MFSError : public EnumeratedError {
public:
    enum class Case {
        invalidSignature,  // the master directory block does not begin with 0xD2 0xD7
    };

    explicit MFSError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
