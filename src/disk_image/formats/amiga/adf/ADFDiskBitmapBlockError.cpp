#include "disk_image/formats/amiga/adf/ADFDiskBitmapBlockError.hpp"

namespace zorv {

const char* ADFDiskBitmapBlockError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::tooManyFreeBlockFlagsToAssign: return "tooManyFreeBlockFlagsToAssign";
        case Case::locationOutOfBounds: return "locationOutOfBounds";
    }
    return "unknown";
}

}  // namespace zorv
