#include "disk_image/formats/atari_st/image_wrappers/MSAError.hpp"

namespace zorv {

const char* MSAError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidSignature: return "invalidSignature";
        case Case::invalidGeometry: return "invalidGeometry";
        case Case::oversizedTrack: return "oversizedTrack";
        case Case::truncatedImage: return "truncatedImage";
    }
    return "unknown";
}

}  // namespace zorv
