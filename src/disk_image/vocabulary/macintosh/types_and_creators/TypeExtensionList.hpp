#pragma once

#include <optional>
#include <string>
#include <unordered_map>

#include "disk_image/vocabulary/macintosh/types_and_creators/OSTypeListable.hpp"

namespace zorv {

// File type code -> extension of an exported copy, without a dot. Built on first use from a fixed
// list and never changed; keys are the Mac OS Roman text of the code's bytes
// (OSType::string()), compared as whole texts: case, punctuation and trailing
// spaces count ("PDF " has a trailing space).
struct TypeExtensionList {
    std::unordered_map<std::string, std::string> list;

    static const TypeExtensionList& shared();
};

}  // namespace zorv
