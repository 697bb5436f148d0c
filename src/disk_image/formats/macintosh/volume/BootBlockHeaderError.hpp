#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Raised inside BootBlockHeader's reader when the boot blocks do not begin
// with "LK"; the reader turns it into the empty header, so it never reaches
// a caller.
class BootBlockHeaderError : public EnumeratedError {
public:
    enum class Case { noBootBlockSignature };

    explicit BootBlockHeaderError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    friend bool operator==(const BootBlockHeaderError& a, const BootBlockHeaderError& b) {
        return a.errorCase == b.errorCase;
    }

    Case errorCase;
};

}  // namespace zorv
