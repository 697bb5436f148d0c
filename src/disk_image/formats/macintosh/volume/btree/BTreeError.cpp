#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"

namespace zorv {

const char* BTreeError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::nodeOutsideTree: return "nodeOutsideTree";
        case Case::nodeTooSmall: return "nodeTooSmall";
        case Case::recordOutsideNode: return "recordOutsideNode";
        case Case::keyOutsideRecord: return "keyOutsideRecord";
        case Case::leafChainLoop: return "leafChainLoop";
    }
    return "unknown";
}

}  // namespace zorv
