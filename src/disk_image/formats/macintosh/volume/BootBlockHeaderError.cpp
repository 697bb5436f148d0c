#include "disk_image/formats/macintosh/volume/BootBlockHeaderError.hpp"

namespace zorv {

const char* BootBlockHeaderError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::noBootBlockSignature: return "noBootBlockSignature";
    }
    return "unknown";
}

}  // namespace zorv
