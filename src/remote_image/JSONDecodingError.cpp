#include "remote_image/JSONDecodingError.hpp"

namespace zorv {
namespace {

std::string payloadText(const std::string& codingPath, const std::string& description) {
    return codingPath.empty() ? description : codingPath + ": " + description;
}

}  // namespace

JSONDecodingError::JSONDecodingError(Case errorCase, std::string codingPath, std::string description)
    : EnumeratedError(caseName(errorCase), payloadText(codingPath, description)),
      errorCase(errorCase),
      codingPath(std::move(codingPath)),
      description(std::move(description)) {}

const char* JSONDecodingError::caseName(Case errorCase) {
    switch (errorCase) {
        case Case::typeMismatch: return "typeMismatch";
        case Case::valueNotFound: return "valueNotFound";
        case Case::keyNotFound: return "keyNotFound";
        case Case::dataCorrupted: return "dataCorrupted";
    }
    return "unknown";
}

}  // namespace zorv
