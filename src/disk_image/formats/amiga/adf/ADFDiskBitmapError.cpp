#include "disk_image/formats/amiga/adf/ADFDiskBitmapError.hpp"

namespace zorv {

const char* ADFDiskBitmapError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::locationNotFound: return "locationNotFound";
    }
    return "unknown";
}

}  // namespace zorv
