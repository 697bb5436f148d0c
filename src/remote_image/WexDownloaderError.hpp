#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of the downloader and of the manifest constructor. They carry no
// payload; what() is the case name.
class WexDownloaderError : public EnumeratedError {
public:
    enum class Case {
        invalidURL,  // the manifest's URL text does not parse (the downloader never raises it)
        emptyData,   // a blocking fetch returned a body of zero bytes
    };

    explicit WexDownloaderError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    friend bool operator==(const WexDownloaderError& a, const WexDownloaderError& b) { return a.errorCase == b.errorCase; }

    Case errorCase;
};

}  // namespace zorv
