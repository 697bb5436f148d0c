#include "disk_image/formats/apple2/AppleIIImageCreatorError.hpp"

namespace zorv {

const char* AppleIIImageCreatorError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::unsupportedDOS33Size: return "unsupportedDOS33Size";
    }
    return "unknown";
}

}  // namespace zorv
