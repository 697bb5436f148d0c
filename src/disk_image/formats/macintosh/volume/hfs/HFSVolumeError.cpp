#include "disk_image/formats/macintosh/volume/hfs/HFSVolumeError.hpp"

namespace zorv {

HFSVolumeError::HFSVolumeError(Case errorCase, int64_t payload)
    : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

const char* HFSVolumeError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::forkShorterThanLength: return "forkShorterThanLength";
    }
    return "unknown";
}

}  // namespace zorv
