#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "disk_image/vocabulary/macintosh/types_and_creators/OSTypeListable.hpp"

namespace zorv {

// File type code -> description of the kind of file. Built on first use from a fixed
// list and never changed; keys are the Mac OS Roman text of the code's bytes
// (OSType::string()), compared as whole texts: case, punctuation and trailing
// spaces count ("PDF " has a trailing space).
struct TypeList : OSTypeListable {
    std::unordered_map<std::string, std::string> list;

    static const TypeList& shared();
    // The file-name extension (without a dot) for a type code, from
    // TypeExtensionList; nothing for an absent or unknown code.
    static std::optional<std::string> extensionForType(const std::optional<std::string>& type);
    // The same without a copy: the table's own text, or null.
    static const std::string* extensionOf(std::string_view type);
};

}  // namespace zorv
