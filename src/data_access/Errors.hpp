#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zorv {

// Base of every thrown error enumeration of the library. Each error type holds
// a case enum (and, for some cases, a payload) and renders itself the way the
// command line prints it: the case name, then the payload in parentheses,
// e.g. `invalidBlockSize(513)` or `invalidSetReference("nope")`.
class EnumeratedError : public std::exception {
public:
    const char* what() const noexcept override { return text_.c_str(); }

protected:
    explicit EnumeratedError(std::string_view caseName);
    EnumeratedError(std::string_view caseName, int64_t payload);
    EnumeratedError(std::string_view caseName, std::string_view payload);

private:
    std::string text_;
};

// A read that would pass the end of a buffer, or a block range an image does
// not hold. Damaged images raise it; format detection treats it as "not this
// format".
class ReadPastEndError : public std::runtime_error {
public:
    ReadPastEndError(int64_t offset, int64_t length, int64_t available);
};

// Arithmetic on sizes, offsets or block numbers that would not fit in a signed
// 64-bit integer. Raised instead of wrapping round.
class ArithmeticOverflowError : public std::runtime_error {
public:
    ArithmeticOverflowError();
};

// A stored value the program cannot represent (for example a 64-bit field with
// its top bit set where a signed value is expected).
class ValueOutOfRangeError : public std::runtime_error {
public:
    explicit ValueOutOfRangeError(const std::string& what);
};

// A caller's error when encoding a record: an integer outside its field's
// range, a length byte over 255, a text longer than its fixed field. Never
// caused by the contents of an image.
class FieldEncodingError : public std::logic_error {
public:
    explicit FieldEncodingError(const std::string& what);
};

}  // namespace zorv
