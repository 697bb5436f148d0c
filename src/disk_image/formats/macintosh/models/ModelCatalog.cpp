#include "disk_image/formats/macintosh/models/ModelCatalog.hpp"

#include <algorithm>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/macintosh/models/ModelCatalogJSON.hpp"
#include "platform/NaturalOrder.hpp"

namespace zorv {
namespace {

using nlohmann::json;

// Thrown by the decoding helpers below at the first value that does not fit;
// the catalog then stays empty.
struct DecodingFailure {};

// A key that must be there with a non-null value.
const json& required(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) throw DecodingFailure{};
    return *found;
}

// A key that may be missing; null counts as missing.
const json* optional(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

std::string decodeString(const json& value) {
    if (!value.is_string()) throw DecodingFailure{};
    return value.get<std::string>();
}

int64_t decodeInteger(const json& value) {
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<uint64_t>();
        if (unsignedValue > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) throw DecodingFailure{};
        return static_cast<int64_t>(unsignedValue);
    }
    if (!value.is_number_integer()) throw DecodingFailure{};
    return value.get<int64_t>();
}

const json& decodeArray(const json& value) {
    if (!value.is_array()) throw DecodingFailure{};
    return value;
}

std::vector<int64_t> decodeIntegers(const json& value) {
    std::vector<int64_t> integers;
    for (const json& element : decodeArray(value)) integers.push_back(decodeInteger(element));
    return integers;
}

ModelFamily decodeFamily(const json& value) {
    const auto family = modelFamilyFromRawValue(decodeString(value));
    if (!family) throw DecodingFailure{};
    return *family;
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

unsigned hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return static_cast<unsigned>(c - 'a' + 10);
}

// "0x4D1EEEE1" -> 0x4D1EEEE1. The first two characters are dropped whatever
// they are; a rest that is empty, not hexadecimal or wider than 32 bits gives 0.
uint32_t decodeChecksum(const std::string& text) {
    size_t start = 0;
    for (int dropped = 0; dropped < 2 && start < text.size(); ++dropped) {
        ++start;
        // Past the continuation bytes of a UTF-8 sequence.
        while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) ++start;
    }
    const std::string_view digits = std::string_view(text).substr(start);
    if (digits.empty()) return 0;
    uint64_t value = 0;
    for (const char c : digits) {
        if (!isHexDigit(c)) return 0;
        value = (value << 4) | hexValue(c);
        if (value > std::numeric_limits<uint32_t>::max()) return 0;
    }
    return static_cast<uint32_t>(value);
}

std::vector<ModelAlias> decodeAliases(const json& value) {
    std::vector<ModelAlias> aliases;
    for (const json& element : decodeArray(value)) {
        if (!element.is_object()) throw DecodingFailure{};
        aliases.push_back(ModelAlias{decodeString(required(element, "name")), decodeFamily(required(element, "family"))});
    }
    return aliases;
}

Model decodeModel(const json& object) {
    if (!object.is_object()) throw DecodingFailure{};
    Model model;
    model.name = decodeString(required(object, "name"));
    if (const json* value = optional(object, "specialName")) model.specialName = decodeString(*value);
    model.family = decodeFamily(required(object, "family"));
    model.capacity = decodeIntegers(required(object, "capacity"));
    if (const json* value = optional(object, "capacityUnit")) {
        const auto unit = modelCapacityUnitFromRawValue(decodeString(*value));
        if (!unit) throw DecodingFailure{};
        model.capacityUnit = *unit;
    }
    model.imageName = decodeString(required(object, "image"));
    if (const json* value = optional(object, "aliases")) model.aliases = decodeAliases(*value);
    if (const json* value = optional(object, "romChecksums")) {
        std::vector<uint32_t> checksums;
        for (const json& element : decodeArray(*value)) checksums.push_back(decodeChecksum(decodeString(element)));
        model.romChecksums = std::move(checksums);
    }
    if (const json* value = optional(object, "exactCapacityInBlocks")) model.exactCapacityInBlocks = decodeIntegers(*value);
    return model;
}

// Every model of the text, or nothing when any part of it does not decode.
std::optional<std::vector<Model>> decodeModels(std::string_view text) {
    const json document = json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded() || !document.is_array()) return std::nullopt;
    try {
        std::vector<Model> models;
        models.reserve(document.size());
        for (const json& object : document) models.push_back(decodeModel(object));
        return models;
    } catch (const DecodingFailure&) {
        return std::nullopt;
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string trimmed(const std::string& text) {
    size_t start = 0;
    size_t end = text.size();
    while (start < end && isTrimmed(text[start])) ++start;
    while (end > start && isTrimmed(text[end - 1])) --end;
    return text.substr(start, end - start);
}

// The family's name prefix, a space and the name, without surrounding white space.
std::string composedName(ModelFamily family, const std::string& name) {
    return trimmed(std::string(namePrefix(family)) + " " + name);
}

}  // namespace

ModelCatalog::ModelCatalog() : ModelCatalog(modelCatalogJSONAsData()) {}

ModelCatalog::ModelCatalog(std::string_view text) {
    const auto models = decodeModels(text);
    if (!models) return;
    for (const Model& model : *models) {
        Model entry = model;
        entry.id = UUID();
        entry.name = model.specialName ? *model.specialName : composedName(model.family, model.name);
        entry.specialName.reset();
        list.push_back(std::move(entry));

        if (!model.aliases) continue;
        for (const ModelAlias& alias : *model.aliases) {
            Model aliasEntry;
            aliasEntry.name = composedName(alias.family, alias.name);
            aliasEntry.family = alias.family;
            aliasEntry.capacity = model.capacity;
            aliasEntry.capacityUnit = model.capacityUnit;
            aliasEntry.imageName = model.imageName;
            aliasEntry.romChecksums = model.romChecksums;
            aliasEntry.exactCapacityInBlocks = model.exactCapacityInBlocks;
            list.push_back(std::move(aliasEntry));
        }
    }
}

std::vector<Model> ModelCatalog::listForFamily(ModelFamily family) const {
    std::vector<Model> models;
    std::copy_if(list.begin(), list.end(), std::back_inserter(models),
                 [family](const Model& model) { return model.family == family; });
    switch (family) {
        case ModelFamily::Compact:
        case ModelFamily::MacII:
        case ModelFamily::LC:
        case ModelFamily::Other:
            std::erase_if(models, [](const Model& model) { return model.capacity.empty(); });
            break;
        default:
            std::stable_sort(models.begin(), models.end(), [](const Model& a, const Model& b) {
                return localizedStandardCompare(a.name, b.name) < 0;
            });
            break;
    }
    return models;
}

Model ModelCatalog::modelAtIndex(size_t index, ModelFamily family) const { return listForFamily(family).at(index); }

std::optional<std::vector<Model>> ModelCatalog::modelsMatchingCRCin(ByteView data) {
    if (data.size() < 4) return std::nullopt;
    const uint32_t checksum = fromLongBigEndian(data);
    const ModelCatalog catalog;
    std::vector<Model> matches;
    for (const Model& model : catalog.list) {
        if (!model.romChecksums) continue;
        const auto& checksums = *model.romChecksums;
        if (std::find(checksums.begin(), checksums.end(), checksum) != checksums.end()) matches.push_back(model);
    }
    if (matches.empty()) return std::nullopt;
    return matches;
}

std::string_view ModelCatalog::modelCatalogJSONAsData() {
    const auto& bytes = ModelCatalogJSON::text;
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace zorv
