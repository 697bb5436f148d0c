#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why a blank ProDOS volume cannot be made at the size asked for.
class ProDOSDiskError : public EnumeratedError {
public:
    enum class Case {
        volumeTooSmall,  // fewer than 7 blocks, no room for the boot blocks, the directory and the bitmap
        volumeTooLarge,  // more than 65,535 blocks, beyond the 16-bit block count of the header
    };

    explicit ProDOSDiskError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    friend bool operator==(const ProDOSDiskError& a, const ProDOSDiskError& b) { return a.errorCase == b.errorCase; }

    Case errorCase;
};

}  // namespace zorv
