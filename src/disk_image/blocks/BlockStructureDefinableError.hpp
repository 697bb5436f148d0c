#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of images addressed by block. `unreacheableBlock` is raised whenever
// a block range lies beyond the bytes an image holds.
class BlockStructureDefinableError : public EnumeratedError {
public:
    enum class Case { unreacheableBlock, notEnoughSpace, noSecurityAccess, destinationURLIsNotADirectory };

    explicit BlockStructureDefinableError(Case errorCase)
        : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
