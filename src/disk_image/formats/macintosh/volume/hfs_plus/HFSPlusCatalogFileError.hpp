#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of an HFS+ catalog file. `noLeafNodes`: the catalog B-tree yields no
// leaf record that can be read (an empty or damaged leaf chain), so the
// volume has not even a root folder.
class HFSPlusCatalogFileError : public EnumeratedError {
public:
    enum class Case { noLeafNodes };

    explicit HFSPlusCatalogFileError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
};

}  // namespace zorv
