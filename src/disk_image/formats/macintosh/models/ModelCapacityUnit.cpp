#include "disk_image/formats/macintosh/models/ModelCapacityUnit.hpp"

#include <array>

namespace zorv {
namespace {

constexpr std::array<ModelCapacityUnit, 4> allUnits{ModelCapacityUnit::GB, ModelCapacityUnit::MB,
                                                    ModelCapacityUnit::KB, ModelCapacityUnit::B};

}  // namespace

std::string_view rawValue(ModelCapacityUnit unit) {
    switch (unit) {
        case ModelCapacityUnit::GB:
            return "GB";
        case ModelCapacityUnit::MB:
            return "MB";
        case ModelCapacityUnit::KB:
            return "KB";
        case ModelCapacityUnit::B:
            return "B";
    }
    return "MB";
}

std::optional<ModelCapacityUnit> modelCapacityUnitFromRawValue(std::string_view text) {
    for (const ModelCapacityUnit unit : allUnits) {
        if (rawValue(unit) == text) return unit;
    }
    return std::nullopt;
}

}  // namespace zorv
