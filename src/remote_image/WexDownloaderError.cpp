#include "remote_image/WexDownloaderError.hpp"

namespace zorv {

const char* WexDownloaderError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidURL: return "invalidURL";
        case Case::emptyData: return "emptyData";
    }
    return "unknown";
}

}  // namespace zorv
