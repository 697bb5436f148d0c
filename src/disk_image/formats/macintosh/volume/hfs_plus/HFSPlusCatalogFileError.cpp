#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFileError.hpp"

namespace zorv {

const char* HFSPlusCatalogFileError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::noLeafNodes: return "noLeafNodes";
    }
    return "unknown";
}

}  // namespace zorv
