#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why an MSA file cannot be expanded.
class MSAError : public EnumeratedError {
public:
    enum class Case {
        invalidSignature,  // the file does not begin 0x0E 0x0F
        invalidGeometry,   // more than 2 sides, more than 56 sectors a track, or a last track above 86
        oversizedTrack,    // a track record expands to more than a track holds
        truncatedImage,    // the file ends inside a track record
    };

    explicit MSAError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
