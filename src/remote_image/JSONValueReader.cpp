#include "remote_image/JSONValueReader.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "remote_image/JSONDecodingError.hpp"

namespace zorv {
namespace {

using json = nlohmann::json;
using Case = JSONDecodingError::Case;

// What the digits of a number literal written with a fraction or an exponent
// stand for, judged exactly.
struct WholeNumber {
    bool isWhole = false;
    bool fits = false;  // in a signed 64-bit integer
    int64_t value = 0;
};

WholeNumber wholeNumberOf(std::string_view literal) {
    bool negative = false;
    if (!literal.empty() && literal.front() == '-') {
        negative = true;
        literal.remove_prefix(1);
    }
    std::string digits;
    int64_t exponent = 0;
    size_t index = 0;
    while (index < literal.size() && std::isdigit(static_cast<unsigned char>(literal[index]))) digits += literal[index++];
    if (index < literal.size() && literal[index] == '.') {
        ++index;
        while (index < literal.size() && std::isdigit(static_cast<unsigned char>(literal[index]))) {
            digits += literal[index++];
            --exponent;
        }
    }
    if (index < literal.size() && (literal[index] == 'e' || literal[index] == 'E')) {
        ++index;
        bool negativeExponent = false;
        if (index < literal.size() && (literal[index] == '+' || literal[index] == '-')) negativeExponent = literal[index++] == '-';
        int64_t written = 0;
        for (; index < literal.size(); ++index) {
            // Past a billion the exponent's exact value no longer matters.
            if (written < 1'000'000'000) written = written * 10 + (literal[index] - '0');
        }
        exponent += negativeExponent ? -written : written;
    }

    const auto firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos) return {true, true, 0};
    digits.erase(0, firstSignificant);
    while (digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    if (exponent < 0) return {};
    if (static_cast<int64_t>(digits.size()) + exponent > 19) return {true, false, 0};

    unsigned __int128 magnitude = 0;
    for (char digit : digits) magnitude = magnitude * 10 + static_cast<unsigned>(digit - '0');
    for (int64_t power = 0; power < exponent; ++power) magnitude *= 10;
    const unsigned __int128 limit = static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) return {true, false, 0};
    const __int128 signedValue = negative ? -static_cast<__int128>(magnitude) : static_cast<__int128>(magnitude);
    return {true, true, static_cast<int64_t>(signedValue)};
}

// Builds the document like nlohmann's own parser, but sees each number's
// literal, so that whole numbers written as 100.0 or 1e2 become integers.
class DocumentBuilder final : public nlohmann::json_sax<json> {
public:
    json root;
    std::string failure;

    bool null() override { return put(nullptr); }
    bool boolean(bool value) override { return put(value); }
    bool number_integer(number_integer_t value) override { return put(value); }
    bool number_unsigned(number_unsigned_t value) override { return put(value); }
    bool number_float(number_float_t value, const string_t& literal) override {
        const WholeNumber whole = wholeNumberOf(literal);
        if (!whole.isWhole) return put(value);
        if (whole.fits) return put(whole.value);
        return put(std::copysign(std::numeric_limits<double>::infinity(), value));
    }
    bool string(string_t& value) override { return put(std::move(value)); }
    bool binary(binary_t& value) override { return put(json::binary(std::move(value))); }
    bool start_object(std::size_t) override { return open(json::object()); }
    bool key(string_t& key) override {
        pendingKey_ = std::move(key);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(json::array()); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const json::exception& error) override {
        failure = error.what();
        return false;
    }

private:
    json* place(json value) {
        if (open_.empty()) {
            root = std::move(value);
            return &root;
        }
        json& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        json& slot = parent[pendingKey_];
        slot = std::move(value);
        return &slot;
    }
    bool put(json value) {
        place(std::move(value));
        return true;
    }
    // Only the containers on the path to the current value are held: a
    // container grows only while it is the innermost one, so these pointers
    // stay valid.
    bool open(json container) {
        open_.push_back(place(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    std::vector<json*> open_;
    std::string pendingKey_;
};

std::string withoutExceptionPrefix(const std::string& text) {
    // "[json.exception.parse_error.101] parse error at line 1, ..." loses its tag.
    if (!text.empty() && text.front() == '[') {
        const auto end = text.find("] ");
        if (end != std::string::npos) return text.substr(end + 2);
    }
    return text;
}

std::string describe(const json& value) {
    switch (value.type()) {
        case json::value_t::null: return "null";
        case json::value_t::boolean:
        case json::value_t::number_integer:
        case json::value_t::number_unsigned:
        case json::value_t::number_float: return value.dump();
        case json::value_t::string: return "a string";
        case json::value_t::array: return "an array";
        case json::value_t::object: return "an object";
        default: return "binary data";
    }
}

}  // namespace

json JSONValueReader::parse(ByteView text) {
    DocumentBuilder builder;
    const bool parsed = json::sax_parse(text.begin(), text.end(), &builder);
    if (!parsed) throw JSONDecodingError(Case::dataCorrupted, {}, "not valid JSON: " + withoutExceptionPrefix(builder.failure));
    return std::move(builder.root);
}

JSONValueReader::JSONValueReader(const json& value, std::string codingPath) : value_(&value), codingPath_(std::move(codingPath)) {}

void JSONValueReader::throwUnexpected(const char* expected) const {
    const Case errorCase = value_->is_null() ? Case::valueNotFound : Case::typeMismatch;
    throw JSONDecodingError(errorCase, codingPath_, std::string("expected ") + expected + ", found " + describe(*value_));
}

std::vector<JSONValueReader> JSONValueReader::elements() const {
    if (!value_->is_array()) throwUnexpected("an array");
    std::vector<JSONValueReader> readers;
    readers.reserve(value_->size());
    for (size_t index = 0; index < value_->size(); ++index) readers.emplace_back((*value_)[index], codingPath_ + "[" + std::to_string(index) + "]");
    return readers;
}

JSONValueReader JSONValueReader::member(std::string_view key) const {
    if (!value_->is_object()) throwUnexpected("an object");
    std::string path = codingPath_.empty() ? std::string(key) : codingPath_ + "." + std::string(key);
    const auto found = value_->find(key);
    if (found == value_->end()) throw JSONDecodingError(Case::keyNotFound, std::move(path), "the key is missing");
    return JSONValueReader(*found, std::move(path));
}

std::string JSONValueReader::string() const {
    if (!value_->is_string()) throwUnexpected("a string");
    return value_->get<std::string>();
}

int64_t JSONValueReader::int64() const {
    if (value_->is_number_integer() && !value_->is_number_unsigned()) return value_->get<int64_t>();
    const bool outOfRange = (value_->is_number_unsigned() && value_->get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) ||
                            (value_->is_number_float() && std::isinf(value_->get<double>()));
    if (outOfRange) {
        const std::string number = value_->is_number_unsigned() ? "the number " + value_->dump() : "the number";
        throw JSONDecodingError(Case::dataCorrupted, codingPath_, number + " does not fit in a signed 64-bit integer");
    }
    if (value_->is_number_unsigned()) return static_cast<int64_t>(value_->get<uint64_t>());
    throwUnexpected("an integer");
}

URL JSONValueReader::url() const {
    const std::string text = string();
    auto url = URL::parse(text);
    if (!url) throw JSONDecodingError(Case::dataCorrupted, codingPath_, "not a valid URL: " + text);
    return *url;
}

}  // namespace zorv
