#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "data_access/Bytes.hpp"
#include "platform/URL.hpp"

namespace zorv {

// Strictly typed reading of a JSON document, one value at a time. Every
// reader knows its coding path ("[0].volumes[1].order"), so a failure names
// the place: a required key that is absent, null where a value is needed, a
// value of another JSON type, or a number that is not a signed 64-bit whole
// number where an integer is expected all throw JSONDecodingError.
class JSONValueReader {
public:
    // Parses UTF-8 JSON text into a document for the readers. A number written
    // with a fraction or an exponent that is nonetheless a whole number in the
    // signed 64-bit range (100.0, 1e2, 12.50e1) is held as that integer, judged
    // from its digits rather than from a rounded double; a whole number beyond
    // the range is held as an infinite float. Throws JSONDecodingError
    // dataCorrupted for text that is not JSON.
    static nlohmann::json parse(ByteView text);

    // Reads `value`, which must outlive the reader (and should come from
    // parse(): int64() refuses every float).
    explicit JSONValueReader(const nlohmann::json& value, std::string codingPath = {});

    const nlohmann::json& value() const { return *value_; }
    const std::string& codingPath() const { return codingPath_; }

    // The elements of an array, in order.
    std::vector<JSONValueReader> elements() const;
    // The value of a required key of an object; unknown keys are never looked at.
    JSONValueReader member(std::string_view key) const;
    std::string string() const;
    int64_t int64() const;
    // A string holding a URL with a scheme ("https://host/path").
    URL url() const;

private:
    [[noreturn]] void throwUnexpected(const char* expected) const;

    const nlohmann::json* value_;
    std::string codingPath_;
};

}  // namespace zorv
