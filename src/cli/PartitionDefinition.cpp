#include "cli/PartitionDefinition.hpp"

#include "cli/ParsableCommand.hpp"
#include "platform/FileSystem.hpp"
#include "remote_image/JSONValueReader.hpp"

namespace zorv::cli {
namespace {

// The value of a key that may be absent or null; the JSON type of a present
// value is checked by the caller's read.
std::optional<JSONValueReader> optionalMember(const JSONValueReader& object, std::string_view key) {
    const auto& value = object.value();
    const auto found = value.find(key);
    if (found == value.end() || found->is_null()) return std::nullopt;
    const std::string& path = object.codingPath();
    return JSONValueReader(*found, path.empty() ? std::string(key) : path + "." + std::string(key));
}

}  // namespace

PartitionDefinition PartitionDefinition::decode(const JSONValueReader& object) {
    // member() of a key that is surely absent refuses anything but an object,
    // in the decoder's own words.
    if (!object.value().is_object()) object.member("premade");

    PartitionDefinition definition;
    if (auto value = optionalMember(object, "premade")) definition.premade = value->string();
    if (auto value = optionalMember(object, "localFile")) definition.localFile = URL::fileURLWithPath(value->string());
    if (auto value = optionalMember(object, "blankHFS")) definition.blankHFS = value->int64();
    if (auto value = optionalMember(object, "blankProDOS")) definition.blankProDOS = value->int64();
    return definition;
}

nlohmann::ordered_json PartitionDefinition::toJSON() const {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    if (premade) object["premade"] = *premade;
    if (localFile) object["localFile"] = localFile->absoluteString();
    if (blankHFS) object["blankHFS"] = *blankHFS;
    if (blankProDOS) object["blankProDOS"] = *blankProDOS;
    return object;
}

std::vector<PartitionDefinition> decodePartitionLayout(ByteView document) {
    const nlohmann::json root = JSONValueReader::parse(document);
    std::vector<PartitionDefinition> layout;
    for (const JSONValueReader& element : JSONValueReader(root).elements()) {
        layout.push_back(PartitionDefinition::decode(element));
    }
    return layout;
}

std::vector<PartitionDefinition> partitionLayoutFromOptionText(const std::string& text) {
    if (!isWellFormedUTF8(text)) throw ValidationError("Badly encoded string, should be UTF-8");
    return decodePartitionLayout(ByteView(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::vector<PartitionDefinition> partitionLayoutFromFile(const std::string& path) {
    const ImageBytes document = fs::readWholeFile(URL::fileURLWithPath(path));
    return decodePartitionLayout(document);
}

bool isWellFormedUTF8(std::string_view text) {
    size_t index = 0;
    while (index < text.size()) {
        const auto lead = static_cast<uint8_t>(text[index]);
        if (lead < 0x80) {
            ++index;
            continue;
        }
        // The sequence's length and the range its second byte must lie in,
        // which rules out overlong forms, surrogates and values past U+10FFFF.
        size_t length = 0;
        uint8_t low = 0x80;
        uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (index + length > text.size()) return false;
        const auto second = static_cast<uint8_t>(text[index + 1]);
        if (second < low || second > high) return false;
        for (size_t next = 2; next < length; ++next) {
            const auto byte = static_cast<uint8_t>(text[index + next]);
            if (byte < 0x80 || byte > 0xBF) return false;
        }
        index += length;
    }
    return true;
}

}  // namespace zorv::cli
