#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why an Amiga volume or hard disk cannot be read.
class ADFDiskError : public EnumeratedError {
public:
    enum class Case {
        invalidBootBlock,              // the first three bytes of the volume are not "DOS"
        noRootBlock,                   // declared for callers; nothing here raises it
        noRigidDiskBlockInHardDrive,   // a hard disk without its Rigid Disk Block
        noPartitionFoundInHardDrive,   // declared for callers; nothing here raises it
        invalidGeometryInHardDrive,    // a block size or geometry that cannot describe a disk
    };

    explicit ADFDiskError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
