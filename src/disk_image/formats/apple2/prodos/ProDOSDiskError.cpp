#include "disk_image/formats/apple2/prodos/ProDOSDiskError.hpp"

namespace zorv {

const char* ProDOSDiskError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::volumeTooSmall: return "volumeTooSmall";
        case Case::volumeTooLarge: return "volumeTooLarge";
        case Case::dosOrderPartialTrack: return "dosOrderPartialTrack";
    }
    return "unknown";
}

}  // namespace zorv
