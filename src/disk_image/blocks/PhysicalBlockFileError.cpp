#include "disk_image/blocks/PhysicalBlockFileError.hpp"

namespace zorv {

PhysicalBlockFileError::PhysicalBlockFileError(Case errorCase, int64_t payload)
    : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

PhysicalBlockFileError::PhysicalBlockFileError(Case errorCase)
    : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

const char* PhysicalBlockFileError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidBlockSize: return "invalidBlockSize";
        case Case::blockNotFound: return "blockNotFound";
        case Case::notEnoughSpace: return "notEnoughSpace";
        case Case::blockOutOfBounds: return "blockOutOfBounds";
        case Case::invalidFileURL: return "invalidFileURL";
        case Case::patchTooLarge: return "patchTooLarge";
    }
    return "unknown";
}

}  // namespace zorv
