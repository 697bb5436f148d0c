#pragma once

#include <string>
#include <string_view>

#include "data_access/Errors.hpp"

namespace zorv {

// Why a JSON document does not decode into the expected records. The payload
// names the place (the coding path, e.g. "[0].volumes[1].order") and what was
// wrong there: `typeMismatch("[0].volumes[1].order: expected an integer, found 1.5")`.
class JSONDecodingError : public EnumeratedError {
public:
    enum class Case {
        typeMismatch,   // a value of another JSON type, or a number that is not a whole number
        valueNotFound,  // null where a value is required
        keyNotFound,    // a required key is absent
        dataCorrupted,  // not JSON at all, a number out of range, a text that is not a URL
    };

    JSONDecodingError(Case errorCase, std::string codingPath, std::string description);

    static const char* caseName(Case errorCase);

    Case errorCase;
    std::string codingPath;
    std::string description;
};

}  // namespace zorv
