#include "disk_image/formats/macintosh/device/MacintoshDeviceError.hpp"

namespace zorv {

const char* MacintoshDeviceError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidPartitionIndex: return "invalidPartitionIndex";
        case Case::volumeDescriptorNotFound: return "volumeDescriptorNotFound";
        case Case::partitionPastEndOfImage: return "partitionPastEndOfImage";
    }
    return "unknown";
}

}  // namespace zorv
