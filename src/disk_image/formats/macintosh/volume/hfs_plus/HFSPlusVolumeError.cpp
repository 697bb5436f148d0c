#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeError.hpp"

namespace zorv {

HFSPlusVolumeError::HFSPlusVolumeError(Case errorCase, int64_t payload)
    : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

const char* HFSPlusVolumeError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::missingOverflowExtents: return "missingOverflowExtents";
        case Case::forkShorterThanLength: return "forkShorterThanLength";
    }
    return "unknown";
}

}  // namespace zorv
