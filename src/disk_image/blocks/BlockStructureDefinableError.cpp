#include "disk_image/blocks/BlockStructureDefinableError.hpp"

namespace zorv {

const char* BlockStructureDefinableError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::unreacheableBlock: return "unreacheableBlock";
        case Case::notEnoughSpace: return "notEnoughSpace";
        case Case::noSecurityAccess: return "noSecurityAccess";
        case Case::destinationURLIsNotADirectory: return "destinationURLIsNotADirectory";
    }
    return "unknown";
}

}  // namespace zorv
