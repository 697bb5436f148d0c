#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntryError.hpp"

namespace zorv {

const char* PartitionMapEntryError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidPartitionMapSignature: return "invalidPartitionMapSignature";
        case Case::unknownPartitionType: return "unknownPartitionType";
    }
    return "unknown";
}

}  // namespace zorv
