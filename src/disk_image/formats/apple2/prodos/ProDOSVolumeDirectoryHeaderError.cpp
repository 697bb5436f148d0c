#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeaderError.hpp"

namespace zorv {

const char* ProDOSVolumeDirectoryHeaderError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidStorageType: return "invalidStorageType";
        case Case::nonASCIIName: return "nonASCIIName";
    }
    return "unknown";
}

}  // namespace zorv
