#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv {

// Why AppleIIImageCreator refuses the size asked for. (A ProDOS image too
// small to format is ProDOSDiskError::volumeTooSmall.)
class AppleIIImageCreatorError : public EnumeratedError {
public:
    enum class Case {
        // A DOS 3.3 image is a 140K floppy, 143,360 bytes, and nothing else;
        // carries the size asked for.
        unsupportedDOS33Size,
    };

    AppleIIImageCreatorError(Case errorCase, int64_t payload)
        : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
    int64_t payload = 0;
};

}  // namespace zorv
