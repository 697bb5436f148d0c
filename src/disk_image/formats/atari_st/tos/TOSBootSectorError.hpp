#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why the first sector of an image is not an Atari ST boot sector.
class TOSBootSectorError : public EnumeratedError {
public:
    enum class Case {
        invalidBPS,  // bytes per sector below 512 or not a multiple of 512
    };

    explicit TOSBootSectorError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
