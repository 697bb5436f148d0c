#pragma once

#include <string>

#include "disk_image/formats/macintosh/models/ModelFamily.hpp"

namespace zorv {

// Another name under which a catalog model was sold, in the family of that
// name (the Classic II was also the Performa 200).
struct ModelAlias {
    std::string name;
    ModelFamily family;

    friend bool operator==(const ModelAlias&, const ModelAlias&) = default;
};

}  // namespace zorv
