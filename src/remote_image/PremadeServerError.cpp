#include "remote_image/PremadeServerError.hpp"

namespace zorv {

const char* PremadeServerError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidBaseURL: return "invalidBaseURL";
    }
    return "unknown";
}

}  // namespace zorv
