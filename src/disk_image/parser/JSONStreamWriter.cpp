#include "disk_image/parser/JSONStreamWriter.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace zorv {

void JSONStreamWriter::flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

void JSONStreamWriter::newLineAndIndent(size_t depth) {
    flushWhenFull();
    buffer_ += '\n';
    buffer_.append(depth * static_cast<size_t>(indent_), ' ');
}

void JSONStreamWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (open_.empty()) return;  // the document itself
    Container& container = open_.back();
    if (!container.isEmpty) buffer_ += ',';
    container.isEmpty = false;
    newLineAndIndent(open_.size());
}

void JSONStreamWriter::key(std::string_view name) {
    Container& container = open_.back();
    if (!container.isEmpty) buffer_ += ',';
    container.isEmpty = false;
    newLineAndIndent(open_.size());
    string(name);
    buffer_ += ": ";
    afterKey_ = true;
}

void JSONStreamWriter::begin(bool isObject, char opening) {
    beforeValue();
    buffer_ += opening;
    open_.push_back({isObject, true});
}

void JSONStreamWriter::end(char closing) {
    const bool wasEmpty = open_.back().isEmpty;
    open_.pop_back();
    if (!wasEmpty) newLineAndIndent(open_.size());
    buffer_ += closing;
    if (open_.empty()) flush();
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
    buffer_ += std::to_string(number);
}

void JSONStreamWriter::value(bool flag) {
    beforeValue();
    buffer_ += flag ? "true" : "false";
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
        buffer_ += '"';
        buffer_ += text;
        buffer_ += '"';
        return;
    }
    buffer_ += nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace zorv
