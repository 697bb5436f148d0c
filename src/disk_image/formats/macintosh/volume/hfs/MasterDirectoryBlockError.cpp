#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlockError.hpp"

namespace zorv {

MasterDirectoryBlockError::MasterDirectoryBlockError(Case errorCase, int64_t payload)
    : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

MasterDirectoryBlockError::MasterDirectoryBlockError(Case errorCase)
    : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

const char* MasterDirectoryBlockError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::invalidMDBPartitionSignature: return "invalidMDBPartitionSignature";
        case Case::unformattedPartition: return "unformattedPartition";
        case Case::noExtractableHFSPlus: return "noExtractableHFSPlus";
        case Case::volumeTooSmall: return "volumeTooSmall";
        case Case::volumeTooLarge: return "volumeTooLarge";
    }
    return "unknown";
}

}  // namespace zorv
