#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileError.hpp"

namespace zorv {

const char* HFSCatalogFileError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::noLeafNodes: return "noLeafNodes";
    }
    return "unknown";
}

}  // namespace zorv
