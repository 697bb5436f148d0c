#include "disk_image/formats/macintosh/MacintoshImageCreatorError.hpp"

namespace zorv {

const char* MacintoshImageCreatorError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::noValidVolume: return "noValidVolume";
        case Case::noValidDevice: return "noValidDevice";
        case Case::noLidoDriver: return "noLidoDriver";
        case Case::driverPartitionTooSmall: return "driverPartitionTooSmall";
        case Case::unsupportedBlockSize: return "unsupportedBlockSize";
        case Case::partitionPastEndOfImage: return "partitionPastEndOfImage";
        case Case::emptyPartition: return "emptyPartition";
    }
    return "unknown";
}

}  // namespace zorv
