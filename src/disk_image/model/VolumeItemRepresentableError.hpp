#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of the export of a volume's items to the host. The export throws
// only `fileNotCreated`: a file that could not be written, a folder that
// handed out fewer children than it counted, or a name that would lead out
// of the destination folder. `directoryNotFound` is thrown by nothing.
class VolumeItemRepresentableError : public EnumeratedError {
public:
    enum class Case { directoryNotFound, fileNotCreated };

    explicit VolumeItemRepresentableError(Case errorCase)
        : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
