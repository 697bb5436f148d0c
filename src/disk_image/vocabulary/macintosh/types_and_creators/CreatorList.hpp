#pragma once

#include <optional>
#include <string>
#include <unordered_map>

#include "disk_image/vocabulary/macintosh/types_and_creators/OSTypeListable.hpp"

namespace zorv {

// Creator code -> application name. Built on first use from a fixed
// list and never changed; keys are the Mac OS Roman text of the code's bytes
// (OSType::string()), compared as whole texts: case, punctuation and trailing
// spaces count ("PDF " has a trailing space).
struct CreatorList : OSTypeListable {
    std::unordered_map<std::string, std::string> list;

    static const CreatorList& shared();
};

}  // namespace zorv
