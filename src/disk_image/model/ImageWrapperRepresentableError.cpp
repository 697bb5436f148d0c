#include "disk_image/model/ImageWrapperRepresentableError.hpp"

namespace zorv {

const char* ImageWrapperRepresentableError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidImageLength: return "invalidImageLength";
        case Case::unextractableImage: return "unextractableImage";
    }
    return "unknown";
}

}  // namespace zorv
