#include "disk_image/parser/JSONStreamWriter.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <cstdint>
#include <cstring>
#include <string>

namespace zorv {

namespace {

// The text as nlohmann-json writes a string, kept out of the common path.
[[gnu::noinline]] std::string escaped(std::string_view text) {
    return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

void JSONStreamWriter::flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
    used_ = 0;
}

char* JSONStreamWriter::room(size_t count) {
    if (used_ + count > buffer_.size()) {
        flush();
        if (count > buffer_.size()) buffer_.resize(count);
    }
    char* place = buffer_.data() + used_;
    used_ += count;
    return place;
}

void JSONStreamWriter::put(std::string_view text) { std::memcpy(room(text.size()), text.data(), text.size()); }

void JSONStreamWriter::newLineAndIndent(size_t depth) {
    if (used_ >= chunkSize) flush();
    newLineAndIndentAt(room(1 + depth * static_cast<size_t>(indent_)), depth);
}

void JSONStreamWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (open_.empty()) return;  // the document itself
    Container& container = open_.back();
    if (!container.isEmpty) put(",");
    container.isEmpty = false;
    newLineAndIndent(open_.size());
}

void JSONStreamWriter::key(std::string_view name) {
    Container& container = open_.back();
    const bool separated = !container.isEmpty;
    container.isEmpty = false;
    afterKey_ = true;
    if (used_ >= chunkSize) flush();
    if (!isPlainText(name)) {
        if (separated) put(",");
        newLineAndIndent(open_.size());
        string(name);
        put(": ");
        return;
    }
    // The common case in one piece: [,]\n<indent>"name":<space>
    const size_t spaces = open_.size() * static_cast<size_t>(indent_);
    char* place = room((separated ? 1 : 0) + 1 + spaces + name.size() + 4);
    if (separated) *place++ = ',';
    *place++ = '\n';
    std::memset(place, ' ', spaces);
    place += spaces;
    *place++ = '"';
    std::memcpy(place, name.data(), name.size());
    place += name.size();
    std::memcpy(place, "\": ", 3);
}

JSONStreamWriter::PreparedKey JSONStreamWriter::prepareKey(std::string_view name, size_t depthBelow) const {
    PreparedKey prepared;
    prepared.name_ = std::string(name);
    prepared.depth_ = open_.size() + depthBelow;
    if (isPlainText(name)) {
        prepared.text_ = ",\n" + std::string(prepared.depth_ * static_cast<size_t>(indent_), ' ') + '"' +
                         prepared.name_ + "\": ";
        if (prepared.text_.size() <= PreparedKey::blockSize) {
            std::copy(prepared.text_.begin(), prepared.text_.end(), prepared.block_.begin());
        }
    }
    return prepared;
}

void JSONStreamWriter::begin(bool isObject, char opening) {
    beforeValue();
    *room(1) = opening;
    open_.push_back({isObject, true});
}

void JSONStreamWriter::end(char closing) {
    const bool wasEmpty = open_.back().isEmpty;
    open_.pop_back();
    if (!wasEmpty) newLineAndIndent(open_.size());
    *room(1) = closing;
    if (open_.empty()) flush();
}

void JSONStreamWriter::beginArray() { begin(false, '['); }

void JSONStreamWriter::endArray() { end(']'); }

void JSONStreamWriter::writeNumber(int64_t number) {
    beforeValue();
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), number);
    put(std::string_view(digits, static_cast<size_t>(written.ptr - digits)));
}

void JSONStreamWriter::writeFlag(bool flag) {
    beforeValue();
    put(flag ? "true" : "false");
}

void JSONStreamWriter::string(std::string_view text) {
    // Most names are printable ASCII with nothing to escape: written as they
    // are. Anything else goes through nlohmann-json's own escaping, so that
    // control characters and broken UTF-8 come out as they always have.
    if (!isPlainText(text)) {
        put(escaped(text));
        return;
    }
    quotedAt(room(text.size() + 2), text);
}

}  // namespace zorv
