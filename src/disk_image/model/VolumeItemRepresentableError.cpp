#include "disk_image/model/VolumeItemRepresentableError.hpp"

namespace zorv {

const char* VolumeItemRepresentableError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::directoryNotFound: return "directoryNotFound";
        case Case::fileNotCreated: return "fileNotCreated";
    }
    return "unknown";
}

}  // namespace zorv
