#pragma once

#include <optional>
#include <string_view>

namespace zorv {

// The unit of a catalog model's capacities; the raw value of each case is its
// name. The catalog takes MB when a model names none.
enum class ModelCapacityUnit { GB, MB, KB, B };

// "GB", "MB", "KB" or "B".
std::string_view rawValue(ModelCapacityUnit unit);
// The unit with that raw value (exact match), or nothing.
std::optional<ModelCapacityUnit> modelCapacityUnitFromRawValue(std::string_view rawValue);

}  // namespace zorv
