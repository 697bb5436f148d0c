#include "remote_image/ManifestItemError.hpp"

namespace zorv {

const char* ManifestItemError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidSetReference: return "invalidSetReference";
        case Case::refusedVolumeURL: return "refusedVolumeURL";
    }
    return "unknown";
}

}  // namespace zorv
