#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace zorv {

// The groups of the model catalog. The raw value of each case is its name;
// the declaration order is the order of allModelFamilies().
enum class ModelFamily {
    Compact,
    MacII,
    LC,
    Performa,
    PPCPerforma,
    Centris,
    Quadra,
    PowerMac,
    WGS,
    PowerBook,
    Removable,
    Other,
};

// The twelve families in declaration order.
const std::array<ModelFamily, 12>& allModelFamilies();
// The family at a position of allModelFamilies(); throws std::out_of_range
// outside 0...11.
ModelFamily modelFamilyAtIndex(size_t index);

// "Compact", "MacII", ... as the catalog text writes them.
std::string_view rawValue(ModelFamily family);
// The family with that raw value (exact match), or nothing.
std::optional<ModelFamily> modelFamilyFromRawValue(std::string_view rawValue);

// The family's title, e.g. "Compact and All-In-One" or "Performa PowerPC".
std::string_view fullName(ModelFamily family);
// The words the catalog puts before a model's own name ("Macintosh",
// "Macintosh LC", "Power Macintosh"...); empty for Removable and Other.
std::string_view namePrefix(ModelFamily family);

}  // namespace zorv
