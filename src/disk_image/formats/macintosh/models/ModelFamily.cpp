#include "disk_image/formats/macintosh/models/ModelFamily.hpp"

namespace zorv {
namespace {

struct FamilyNames {
    std::string_view rawValue;
    std::string_view fullName;
    std::string_view namePrefix;
};

// Indexed by the enumeration's value.
constexpr std::array<FamilyNames, 12> names{{
        {"Compact", "Compact and All-In-One", "Macintosh"},
        {"MacII", "Macintosh II", "Macintosh"},
        {"LC", "LC", "Macintosh LC"},
        {"Performa", "Performa 68k", "Performa"},
        {"PPCPerforma", "Performa PowerPC", "Performa"},
        {"Centris", "Centris", "Centris"},
        {"Quadra", "Quadra", "Quadra"},
        {"PowerMac", "Power Macintosh", "Power Macintosh"},
        {"WGS", "Workgroup Server", "WGS"},
        {"PowerBook", "PowerBook and Portable", "PowerBook"},
        {"Removable", "Removable Media", ""},
        {"Other", "Other", ""},
}};

const FamilyNames& namesOf(ModelFamily family) { return names.at(static_cast<size_t>(family)); }

}  // namespace

const std::array<ModelFamily, 12>& allModelFamilies() {
    static constexpr std::array<ModelFamily, 12> all{
            ModelFamily::Compact, ModelFamily::MacII, ModelFamily::LC, ModelFamily::Performa,
            ModelFamily::PPCPerforma, ModelFamily::Centris, ModelFamily::Quadra, ModelFamily::PowerMac,
            ModelFamily::WGS, ModelFamily::PowerBook, ModelFamily::Removable, ModelFamily::Other,
    };
    return all;
}

ModelFamily modelFamilyAtIndex(size_t index) { return allModelFamilies().at(index); }

std::string_view rawValue(ModelFamily family) { return namesOf(family).rawValue; }

std::optional<ModelFamily> modelFamilyFromRawValue(std::string_view rawValue) {
    for (const ModelFamily family : allModelFamilies()) {
        if (namesOf(family).rawValue == rawValue) return family;
    }
    return std::nullopt;
}

std::string_view fullName(ModelFamily family) { return namesOf(family).fullName; }

std::string_view namePrefix(ModelFamily family) { return namesOf(family).namePrefix; }

}  // namespace zorv
