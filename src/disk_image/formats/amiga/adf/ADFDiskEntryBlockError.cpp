#include "disk_image/formats/amiga/adf/ADFDiskEntryBlockError.hpp"

namespace zorv {

const char* ADFDiskEntryBlockError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidFileHeaderBlock: return "invalidFileHeaderBlock";
        case Case::invalidDirectoryHeaderBlock: return "invalidDirectoryHeaderBlock";
        case Case::invalidExtensionBlock: return "invalidExtensionBlock";
        case Case::invalidDataBlock: return "invalidDataBlock";
    }
    return "unknown";
}

}  // namespace zorv
