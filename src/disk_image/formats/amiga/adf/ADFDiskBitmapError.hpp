#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of the bitmap of a new Amiga volume.
class ADFDiskBitmapError : public EnumeratedError {
public:
    enum class Case {
        locationNotFound,  // the block has no flag in any bitmap block
    };

    explicit ADFDiskBitmapError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
