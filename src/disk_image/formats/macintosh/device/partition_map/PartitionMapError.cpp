#include "disk_image/formats/macintosh/device/partition_map/PartitionMapError.hpp"

namespace zorv {

const char* PartitionMapError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::tooManyPartitions: return "tooManyPartitions";
        case Case::deviceTooLarge: return "deviceTooLarge";
        case Case::invalidDriverStartBlock: return "invalidDriverStartBlock";
        case Case::volumeOutsideDevice: return "volumeOutsideDevice";
    }
    return "unknown";
}

}  // namespace zorv
