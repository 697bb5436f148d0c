#pragma once

#include <string>
#include <string_view>

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of the premade volume manifest, each carrying the text it is about:
// what() renders like `invalidSetReference("base-de")`.
class ManifestItemError : public EnumeratedError {
public:
    enum class Case {
        invalidSetReference,  // no set of the manifest has the reference asked for
        refusedVolumeURL,     // a volume's URL names a scheme the manifest may not send us to
    };

    ManifestItemError(Case errorCase, std::string_view payload)
        : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
    std::string payload;
};

}  // namespace zorv
