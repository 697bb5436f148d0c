#include "disk_image/model/VolumeItemRepresentable.hpp"

#include <algorithm>

#include "data_access/TextEncoding.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/TypeList.hpp"
#include "disk_image/model/ISO8601DateFormatter.hpp"

namespace zorv {
namespace {

// The extension of `name` taken as a file path: the text after the last full
// stop of its last component (trailing separators ignored). A component that
// starts with its only full stop (".login") has none.
std::optional<std::string_view> pathExtension(std::string_view name) {
    while (name.size() > 1 && name.back() == '/') name.remove_suffix(1);
    const size_t slash = name.rfind('/');
    const std::string_view component = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const size_t dot = component.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    return component.substr(dot + 1);
}

// Counts user-perceived characters (extended grapheme clusters), so that an
// extension written with a combining accent counts as many characters as it
// shows. Falls back to code points if ICU cannot open a break iterator.
int64_t userPerceivedLength(std::string_view text) {
    if (isASCII(text)) return static_cast<int64_t>(text.size());
    return static_cast<int64_t>(characterEnds(text).size());
}

std::optional<std::string> codeText(const std::optional<OSType>& code) {
    if (!code) return std::nullopt;
    return code->string();
}

}  // namespace

bool VolumeItemRepresentable::isInvisible() const {
    const auto itemFlags = flags();
    return itemFlags && std::find(itemFlags->begin(), itemFlags->end(), FinderFlag::kIsInvisible) != itemFlags->end();
}

std::string VolumeItemRepresentable::fileExtension() const { return fileExtensionFor(name(), type()); }

std::string VolumeItemRepresentable::fileExtensionFor(std::string_view name, const std::optional<OSType>& type) {
    return fileExtensionForTypeText(name, type ? std::optional(type->string()) : std::nullopt);
}

std::string VolumeItemRepresentable::fileExtensionForTypeText(std::string_view name,
                                                              const std::optional<std::string>& typeText) {
    std::string text;
    writeFileExtensionForTypeText(name, typeText, text);
    return text;
}

void VolumeItemRepresentable::writeFileExtensionForTypeText(std::string_view name,
                                                            const std::optional<std::string>& typeText,
                                                            std::string& into) {
    into.clear();
    const auto existing = pathExtension(name);
    if (existing && userPerceivedLength(*existing) == 3) return;
    const std::string* extension = TypeList::extensionOf(typeText ? std::string_view(*typeText) : std::string_view());
    if (extension == nullptr) return;
    into += '.';
    into += *extension;
}

std::optional<std::string> VolumeItemRepresentable::otherInfo() const { return std::nullopt; }

std::optional<uint64_t> VolumeItemRepresentable::itemIdentifier() const { return std::nullopt; }

CodableVolumeItem VolumeItemRepresentable::generateCodableAtLevel(int64_t level) const {
    CodableVolumeItem record;
    record.creationDate = ISO8601DateFormatter::string(creationDate());
    record.modificationDate = ISO8601DateFormatter::string(modificationDate());
    record.name = name();
    record.sizeInBytes = logicalSizeInBytes().value_or(0);
    record.isFolder = isFolder();
    record.type = codeText(type());
    record.creator = codeText(creator());
    record.isInvisible = isInvisible();
    record.fileExtension = fileExtension();
    record.level = level;
    return record;
}

void VolumeItemRepresentable::fillCodableAtLevel(int64_t level, CodableVolumeItem& record) const {
    record = generateCodableAtLevel(level);
}

bool isSameVolumeItem(const VolumeItem& a, const VolumeItem& b) {
    if (a == b) return true;
    if (!a || !b) return false;
    const auto first = a->itemIdentifier();
    return first && first == b->itemIdentifier();
}

}  // namespace zorv
