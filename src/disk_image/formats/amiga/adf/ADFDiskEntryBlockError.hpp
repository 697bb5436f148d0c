#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why a block of an Amiga volume is not the file, directory, extension or
// data block it should be: its block type or its secondary type is not the
// expected one.
class ADFDiskEntryBlockError : public EnumeratedError {
public:
    enum class Case {
        invalidFileHeaderBlock,       // not T_HEADER and ST_FILE
        invalidDirectoryHeaderBlock,  // not T_HEADER and ST_USERDIR
        invalidExtensionBlock,        // not T_LIST and ST_FILE
        invalidDataBlock,             // not T_DATA
    };

    explicit ADFDiskEntryBlockError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
