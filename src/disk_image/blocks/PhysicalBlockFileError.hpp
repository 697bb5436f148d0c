#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of an image file under construction.
class PhysicalBlockFileError : public EnumeratedError {
public:
    enum class Case { invalidBlockSize, blockNotFound, notEnoughSpace, blockOutOfBounds, invalidFileURL, patchTooLarge };

    // invalidBlockSize carries the byte count offered, blockNotFound the block number.
    PhysicalBlockFileError(Case errorCase, int64_t payload);
    explicit PhysicalBlockFileError(Case errorCase);

    static const char* caseName(Case errorCase);

    Case errorCase;
    int64_t payload = 0;
};

}  // namespace zorv
