#include "disk_image/formats/amiga/adf/ADFDiskRootBlockError.hpp"

namespace zorv {

const char* ADFDiskRootBlockError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidRootBlock: return "invalidRootBlock";
    }
    return "unknown";
}

}  // namespace zorv
