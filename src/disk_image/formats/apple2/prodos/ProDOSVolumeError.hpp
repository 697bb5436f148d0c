#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why a ProDOS volume, or an entry of it, cannot be read.
class ProDOSVolumeError : public EnumeratedError {
public:
    enum class Case {
        emptyFile,           // declared for callers; nothing here raises it
        directoryNotFound,   // declared for callers; nothing here raises it
        diskNotFound,        // an extended file's entry was read without the disk that holds its key block
        invalidEntryLength,  // the volume directory header's entry length is below 39 or runs past its block
    };

    explicit ProDOSVolumeError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    friend bool operator==(const ProDOSVolumeError& a, const ProDOSVolumeError& b) {
        return a.errorCase == b.errorCase;
    }

    Case errorCase;
};

}  // namespace zorv
