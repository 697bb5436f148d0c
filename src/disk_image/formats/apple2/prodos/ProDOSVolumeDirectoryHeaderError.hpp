#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why the first entry of a ProDOS volume directory is not a volume directory
// header. Telling ProDOS block order from DOS sector order relies on it.
class ProDOSVolumeDirectoryHeaderError : public EnumeratedError {
public:
    enum class Case {
        invalidStorageType,  // the storage nibble is not 0xF
        nonASCIIName,        // a byte of the 15-byte name field is 0x80 or more
    };

    explicit ProDOSVolumeDirectoryHeaderError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    friend bool operator==(const ProDOSVolumeDirectoryHeaderError& a, const ProDOSVolumeDirectoryHeaderError& b) {
        return a.errorCase == b.errorCase;
    }

    Case errorCase;
};

}  // namespace zorv
