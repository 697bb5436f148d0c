#include "data_access/Errors.hpp"

namespace zorv {

EnumeratedError::EnumeratedError(std::string_view caseName) : text_(caseName) {}

EnumeratedError::EnumeratedError(std::string_view caseName, int64_t payload)
    : text_(std::string(caseName) + "(" + std::to_string(payload) + ")") {}

EnumeratedError::EnumeratedError(std::string_view caseName, std::string_view payload)
    : text_(std::string(caseName) + "(\"" + std::string(payload) + "\")") {}

ReadPastEndError::ReadPastEndError(int64_t offset, int64_t length, int64_t available)
    : std::runtime_error("read of " + std::to_string(length) + " bytes at offset " +
                         std::to_string(offset) + " passes the end of " +
                         std::to_string(available) + " bytes") {}

ArithmeticOverflowError::ArithmeticOverflowError()
    : std::runtime_error("size or position out of range") {}

ValueOutOfRangeError::ValueOutOfRangeError(const std::string& what) : std::runtime_error(what) {}

FieldEncodingError::FieldEncodingError(const std::string& what) : std::logic_error(what) {}

}  // namespace zorv
