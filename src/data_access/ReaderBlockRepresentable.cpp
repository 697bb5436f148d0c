#include "data_access/ReaderBlockRepresentable.hpp"

#include <algorithm>

#include "data_access/CheckedMath.hpp"
#include "data_access/Errors.hpp"

namespace zorv {

ReaderBlockRepresentable::ReaderBlockRepresentable(ImageBytes data, int64_t offset, TextEncoding encoding,
                                                   bool isBigEndian)
    : data(std::move(data)), offset(offset), textEncoding_(encoding), isBigEndian_(isBigEndian) {}

int64_t ReaderBlockRepresentable::remainingLength() const {
    const auto size = static_cast<int64_t>(data.size());
    return offset >= 0 && offset < size ? size - offset : 0;
}

ImageBytes ReaderBlockRepresentable::take(int64_t count) {
    ImageBytes bytes = data.slice(offset, count);  // throws when out of range
    offset += count;
    return bytes;
}

void ReaderBlockRepresentable::throwReadPastEnd(int64_t width) const {
    throw ReadPastEndError(offset, width, static_cast<int64_t>(data.size()));
}

std::string ReaderBlockRepresentable::decode(const ImageBytes& bytes) const {
    return decodeText(bytes.view(), textEncoding_).value_or(std::string());
}

int64_t ReaderBlockRepresentable::getLongLongInteger() {
    const uint64_t value = takeUnsigned<8>();
    if (value > static_cast<uint64_t>(INT64_MAX)) {
        throw ValueOutOfRangeError("64-bit field value does not fit a signed 64-bit integer");
    }
    return static_cast<int64_t>(value);
}

std::vector<int64_t> ReaderBlockRepresentable::getIntegerArray(int64_t length) {
    data.slice(offset, checked::mul(std::max<int64_t>(length, 0), 2));  // check the whole range first
    std::vector<int64_t> values;
    values.reserve(static_cast<size_t>(std::max<int64_t>(length, 0)));
    for (int64_t i = 0; i < length; ++i) values.push_back(getInteger());
    return values;
}

std::vector<int64_t> ReaderBlockRepresentable::getLongIntegerArray(int64_t length) {
    data.slice(offset, checked::mul(std::max<int64_t>(length, 0), 4));
    std::vector<int64_t> values;
    values.reserve(static_cast<size_t>(std::max<int64_t>(length, 0)));
    for (int64_t i = 0; i < length; ++i) values.push_back(getLongInteger());
    return values;
}

std::vector<int64_t> ReaderBlockRepresentable::getSignedByteArray(int64_t length) {
    const ImageBytes bytes = take(length);
    return std::vector<int64_t>(bytes.begin(), bytes.end());
}

ImageBytes ReaderBlockRepresentable::getDataBlock(int64_t length) { return take(length); }

ImageBytes ReaderBlockRepresentable::getRemainingData() {
    const auto size = static_cast<int64_t>(data.size());
    if (offset > size) throw ReadPastEndError(offset, 0, size);
    return take(size - offset);
}

std::string ReaderBlockRepresentable::getPackedString(int64_t length) {
    const ImageBytes bytes = take(length);
    const auto text = decodeText(bytes.view(), textEncoding_);
    return text ? trimControlCharacters(*text) : std::string();
}

std::string ReaderBlockRepresentable::getLengthByteString(int64_t length) {
    // The field must lie inside the buffer; a length byte larger than the
    // field (damaged media) takes bytes beyond it, but never beyond the buffer.
    data.slice(offset, length);
    const int64_t start = offset;
    const int64_t count = length > 0 ? data[static_cast<size_t>(offset)] : 0;
    const std::string text = decode(data.slice(offset + 1, count));
    offset = start + length;
    return text;
}

std::string ReaderBlockRepresentable::getLengthByteStringNoPadding() {
    const int64_t count = getUnsignedByte();
    return decode(take(count));
}

std::optional<ImageBytes> ReaderBlockRepresentable::getUpToDelimiter(ByteView delimiter) {
    const auto size = static_cast<int64_t>(data.size());
    if (offset < 0 || offset > size) throw ReadPastEndError(offset, 0, size);
    const auto* from = data.begin() + offset;
    const auto* found = std::search(from, data.end(), delimiter.begin(), delimiter.end());
    if (found == data.end() || delimiter.empty()) {
        if (delimiter.empty()) return data.slice(offset, 0);
        return std::nullopt;
    }
    const auto length = static_cast<int64_t>(found - from);
    ImageBytes bytes = take(length);
    offset += static_cast<int64_t>(delimiter.size());
    return bytes;
}

Bytes ReaderBlockRepresentable::getPackBits(int64_t unpackedCount) {
    Bytes output;
    while (static_cast<int64_t>(output.size()) < unpackedCount) {
        const int64_t header = getSignedByte();
        if (header >= 0) {
            const ImageBytes literal = take(header + 1);
            output.insert(output.end(), literal.begin(), literal.end());
        } else if (header > -128) {
            const uint8_t value = getByte();
            output.insert(output.end(), static_cast<size_t>(1 - header), value);
        }
    }
    return output;
}

void ReaderBlockRepresentable::alignToWordBoundary() {
    if (offset % 2 != 0) offset += 1;
}

}  // namespace zorv
