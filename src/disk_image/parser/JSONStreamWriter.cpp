#include "disk_image/parser/JSONStreamWriter.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace zorv {

void JSONStreamWriter::newLineAndIndent(size_t depth) {
    out_.put('\n');
    for (size_t count = depth * static_cast<size_t>(indent_); count > 0; --count) out_.put(' ');
}

void JSONStreamWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (open_.empty()) return;  // the document itself
    Container& container = open_.back();
    if (!container.isEmpty) out_.put(',');
    container.isEmpty = false;
    newLineAndIndent(open_.size());
}

void JSONStreamWriter::key(std::string_view name) {
    Container& container = open_.back();
    if (!container.isEmpty) out_.put(',');
    container.isEmpty = false;
    newLineAndIndent(open_.size());
    string(name);
    out_.write(": ", 2);
    afterKey_ = true;
}

void JSONStreamWriter::begin(bool isObject, char opening) {
    beforeValue();
    out_.put(opening);
    open_.push_back({isObject, true});
}

void JSONStreamWriter::end(char closing) {
    const bool wasEmpty = open_.back().isEmpty;
    open_.pop_back();
    if (!wasEmpty) newLineAndIndent(open_.size());
    out_.put(closing);
}

void JSONStreamWriter::beginObject() { begin(true, '{'); }

void JSONStreamWriter::endObject() { end('}'); }

void JSONStreamWriter::beginArray() { begin(false, '['); }

void JSONStreamWriter::endArray() { end(']'); }

void JSONStreamWriter::value(std::string_view text) {
    beforeValue();
    string(text);
}

void JSONStreamWriter::value(int64_t number) {
    beforeValue();
    const std::string digits = std::to_string(number);
    out_.write(digits.data(), static_cast<std::streamsize>(digits.size()));
}

void JSONStreamWriter::value(bool flag) {
    beforeValue();
    if (flag) {
        out_.write("true", 4);
    } else {
        out_.write("false", 5);
    }
}

void JSONStreamWriter::string(std::string_view text) {
    // Most names are printable ASCII with nothing to escape: written as they
    // are. Anything else goes through nlohmann-json's own escaping, so that
    // control characters and broken UTF-8 come out as they always have.
    bool plain = true;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') {
            plain = false;
            break;
        }
    }
    if (plain) {
        out_.put('"');
        out_.write(text.data(), static_cast<std::streamsize>(text.size()));
        out_.put('"');
        return;
    }
    const std::string escaped =
        nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    out_.write(escaped.data(), static_cast<std::streamsize>(escaped.size()));
}

}  // namespace zorv
