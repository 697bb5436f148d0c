#include "disk_image/formats/atari_st/tos/TOSBootSectorError.hpp"

namespace zorv {

const char* TOSBootSectorError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidBPS: return "invalidBPS";
    }
    return "unknown";
}

}  // namespace zorv
