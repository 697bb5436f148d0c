#pragma once

#include "data_access/Errors.hpp"

namespace zorv::cli {

// The command line's own failures after validation. Printed by case name
// ("Error: noSizeSpec"), status 1.
class ZORVError : public EnumeratedError {
public:
    enum class Case {
        // A new image was asked for without any size (validation catches it first).
        noSizeSpec,
    };

    explicit ZORVError(Case errorCase);
    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv::cli
