#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"

namespace zorv {

const char* ADFDiskError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidBootBlock: return "invalidBootBlock";
        case Case::noRootBlock: return "noRootBlock";
        case Case::noRigidDiskBlockInHardDrive: return "noRigidDiskBlockInHardDrive";
        case Case::noPartitionFoundInHardDrive: return "noPartitionFoundInHardDrive";
        case Case::invalidGeometryInHardDrive: return "invalidGeometryInHardDrive";
    }
    return "unknown";
}

}  // namespace zorv
