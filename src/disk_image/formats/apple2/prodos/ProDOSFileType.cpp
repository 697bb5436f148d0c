#include "disk_image/formats/apple2/prodos/ProDOSFileType.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zorv {
namespace {

const char* rowText(int64_t fileType, int64_t auxiliaryType) {
    const auto& rows = ProDOSFileType::descriptionRows;
    const auto key = std::make_pair(fileType, auxiliaryType);
    const auto* found = std::lower_bound(rows.begin(), rows.end(), key, [](const auto& row, const auto& wanted) {
        return std::make_pair(row.fileType, row.auxiliaryType) < wanted;
    });
    if (found == rows.end() || found->fileType != fileType || found->auxiliaryType != auxiliaryType) return nullptr;
    return found->text;
}

constexpr std::array<std::pair<int64_t, const char*>, 12> extensions{{
        {0x01, ".BAD"},
        {0x04, ".TXT"},
        {0x06, ".BIN"},
        {0x19, ".ADB"},
        {0x1A, ".AWP"},
        {0x1B, ".ASP"},
        {0xEF, ".PAS"},
        {0xF0, ".CMD"},
        {0xFC, ".BAS"},
        {0xFD, ".VAR"},
        {0xFE, ".REL"},
        {0xFF, ".SYS"},
}};

}  // namespace

std::string ProDOSFileType::description() const {
    if (const char* text = rowText(fileType, auxilliary)) return text;
    if (const char* text = rowText(fileType, 0)) return text;
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "ProDOS file type $%02X", static_cast<unsigned>(fileType & 0xFF));
    return fallback;
}

std::string ProDOSFileType::fileExtension() const {
    for (const auto& [type, extension] : extensions) {
        if (type == fileType) return extension;
    }
    return {};
}

}  // namespace zorv
