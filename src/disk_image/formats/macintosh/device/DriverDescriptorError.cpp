#include "disk_image/formats/macintosh/device/DriverDescriptorError.hpp"

namespace zorv {

const char* DriverDescriptorError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidDriverDescriptorSignature: return "invalidDriverDescriptorSignature";
    }
    return "unknown";
}

}  // namespace zorv
