#include "disk_image/formats/atari_st/tos/TOSDiskError.hpp"

namespace zorv {

const char* TOSDiskError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::forkNotFound: return "forkNotFound";
        case Case::fileSizeMismatch: return "fileSizeMismatch";
        case Case::invalidVolumeLayout: return "invalidVolumeLayout";
    }
    return "unknown";
}

}  // namespace zorv
