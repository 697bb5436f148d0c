#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptorError.hpp"

namespace zorv {

const char* VolumeDescriptorError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::unuseableVolumeType: return "unuseableVolumeType";
        case Case::volumeSizeOverflow: return "volumeSizeOverflow";
        case Case::volumeTooSmall: return "volumeTooSmall";
        case Case::volumeTooLarge: return "volumeTooLarge";
        case Case::blankVolumeUnavailable: return "blankVolumeUnavailable";
    }
    return "unknown";
}

}  // namespace zorv
