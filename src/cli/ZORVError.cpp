#include "cli/ZORVError.hpp"

namespace zorv::cli {

ZORVError::ZORVError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

const char* ZORVError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::noSizeSpec: return "noSizeSpec";
    }
    return "unknown";
}

}  // namespace zorv::cli
