#include "disk_image/formats/macintosh/volume/mfs/MFSError.hpp"

namespace zorv {

const char* MFSError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidSignature: return "invalidSignature";
    }
    return "unknown";
}

}  // namespace zorv
