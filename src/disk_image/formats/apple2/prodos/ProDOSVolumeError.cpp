#include "disk_image/formats/apple2/prodos/ProDOSVolumeError.hpp"

namespace zorv {

const char* ProDOSVolumeError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::emptyFile: return "emptyFile";
        case Case::directoryNotFound: return "directoryNotFound";
        case Case::diskNotFound: return "diskNotFound";
        case Case::invalidEntryLength: return "invalidEntryLength";
    }
    return "unknown";
}

}  // namespace zorv
