#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why block 0 of an image is not a driver descriptor record.
class DriverDescriptorError : public EnumeratedError {
public:
    enum class Case { invalidDriverDescriptorSignature };

    explicit DriverDescriptorError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;

    friend bool operator==(const DriverDescriptorError& a, const DriverDescriptorError& b) {
        return a.errorCase == b.errorCase;
    }
};

}  // namespace zorv
