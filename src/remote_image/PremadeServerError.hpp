#pragma once

#include <string>
#include <string_view>

#include "data_access/Errors.hpp"

namespace zorv {

// A premade server base URL (ZORV_PREMADE_SERVER) that is not of the accepted
// form; the payload is the text as given: `invalidBaseURL("ftp://host")`.
class PremadeServerError : public EnumeratedError {
public:
    enum class Case { invalidBaseURL };

    PremadeServerError(Case errorCase, std::string_view payload)
        : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
    std::string payload;
};

}  // namespace zorv
