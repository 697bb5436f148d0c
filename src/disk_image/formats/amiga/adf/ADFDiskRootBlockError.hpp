#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why a block is not the root block of an Amiga volume.
class ADFDiskRootBlockError : public EnumeratedError {
public:
    enum class Case {
        invalidRootBlock,  // its block type is not T_HEADER or its secondary type not ST_ROOT
    };

    explicit ADFDiskRootBlockError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
