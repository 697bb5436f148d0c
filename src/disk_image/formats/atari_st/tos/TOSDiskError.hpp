#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why an Atari ST floppy, or a file of it, cannot be read.
class TOSDiskError : public EnumeratedError {
public:
    enum class Case {
        forkNotFound,         // declared for callers; nothing here raises it
        fileSizeMismatch,     // a file's cluster chain holds fewer bytes than its size
        invalidVolumeLayout,  // the boot sector places the volume's areas where no FAT12 floppy has them
    };

    explicit TOSDiskError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
