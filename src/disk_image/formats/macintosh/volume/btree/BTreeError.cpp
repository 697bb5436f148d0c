#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"

namespace zorv {

const char* BTreeError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::nodeTooSmall: return "nodeTooSmall";
        case Case::recordOutsideNode: return "recordOutsideNode";
        case Case::keyOutsideRecord: return "keyOutsideRecord";
    }
    return "unknown";
}

}  // namespace zorv
