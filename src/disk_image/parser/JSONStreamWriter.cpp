#include "disk_image/parser/JSONStreamWriter.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace zorv {

namespace {

// Whether the text needs no escaping: printable ASCII but for the quote and
// the backslash. Eight bytes at a time, as most of a report is such text.
bool isPlainText(std::string_view text) {
    constexpr uint64_t ones = 0x0101010101010101ULL;
    constexpr uint64_t highs = 0x8080808080808080ULL;
    const auto hasByteBelow = [](uint64_t word, uint8_t limit) { return (word - ones * limit) & ~word & highs; };
    const auto hasByte = [&](uint64_t word, uint8_t byte) { return hasByteBelow(word ^ (ones * byte), 1); };
    size_t index = 0;
    for (; index + 8 <= text.size(); index += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + index, 8);
        if ((word & highs) != 0 || hasByteBelow(word, 0x20) || hasByte(word, '"') || hasByte(word, '\\')) {
            return false;
        }
    }
    for (; index < text.size(); ++index) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if (byte < 0x20 || byte >= 0x80 || byte == '"' || byte == '\\') return false;
    }
    return true;
}

// The text as nlohmann-json writes a string, kept out of the common path.
[[gnu::noinline]] std::string escaped(std::string_view text) {
    return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

void JSONStreamWriter::flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

void JSONStreamWriter::newLineAndIndent(size_t depth) {
    flushWhenFull();
    buffer_ += '\n';
    size_t spaces = depth * static_cast<size_t>(indent_);
    static constexpr std::string_view blanks = "                                                                ";
    for (; spaces > blanks.size(); spaces -= blanks.size()) buffer_ += blanks;
    buffer_ += blanks.substr(0, spaces);
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
    if (isPlainText(text)) {
        buffer_ += '"';
        buffer_ += text;
        buffer_ += '"';
        return;
    }
    buffer_ += escaped(text);
}

}  // namespace zorv
