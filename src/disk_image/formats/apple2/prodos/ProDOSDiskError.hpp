#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why a blank ProDOS volume cannot be made at the size asked for, or a disk
// cannot be put in ProDOS block order whole.
class ProDOSDiskError : public EnumeratedError {
public:
    enum class Case {
        volumeTooSmall,  // fewer than 7 blocks, no room for the boot blocks, the directory and the bitmap
        volumeTooLarge,  // more than 65,535 blocks, beyond the 16-bit block count of the header
        // A DOS-ordered image that does not end on a whole track (4,096
        // bytes): the blocks of its last track lie in sectors it does not
        // all hold. Carries the image's size in bytes.
        dosOrderPartialTrack,
    };

    explicit ProDOSDiskError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}
    ProDOSDiskError(Case errorCase, int64_t payload)
        : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    friend bool operator==(const ProDOSDiskError& a, const ProDOSDiskError& b) { return a.errorCase == b.errorCase; }

    Case errorCase;
};

}  // namespace zorv
