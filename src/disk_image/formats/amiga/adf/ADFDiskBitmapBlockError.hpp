#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of one bitmap block of a new Amiga volume.
class ADFDiskBitmapBlockError : public EnumeratedError {
public:
    enum class Case {
        tooManyFreeBlockFlagsToAssign,  // more than the 4,064 flags a bitmap block holds
        locationOutOfBounds,            // declared for callers; nothing here raises it
    };

    explicit ADFDiskBitmapBlockError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
