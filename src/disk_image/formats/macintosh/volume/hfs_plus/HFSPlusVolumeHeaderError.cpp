#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeHeaderError.hpp"

namespace zorv {

HFSPlusVolumeHeaderError::HFSPlusVolumeHeaderError(Case errorCase)
    : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

HFSPlusVolumeHeaderError::HFSPlusVolumeHeaderError(Case errorCase, int64_t payload)
    : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

const char* HFSPlusVolumeHeaderError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidVolumeHeaderPartitionSignature: return "invalidVolumeHeaderPartitionSignature";
        case Case::unformattedPartition: return "unformattedPartition";
        case Case::invalidAllocationBlockSize: return "invalidAllocationBlockSize";
        case Case::invalidVolumeSize: return "invalidVolumeSize";
    }
    return "unknown";
}

}  // namespace zorv
