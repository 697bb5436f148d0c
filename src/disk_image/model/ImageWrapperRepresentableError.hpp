#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of unpacking a container around a volume: `invalidImageLength` when
// the container is shorter than the volume its header announces (Disk Copy
// 4.2, 2IMG), `unextractableImage` when it cannot be unpacked at all (NDIF).
class ImageWrapperRepresentableError : public EnumeratedError {
public:
    enum class Case { invalidImageLength, unextractableImage };

    explicit ImageWrapperRepresentableError(Case errorCase)
        : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
