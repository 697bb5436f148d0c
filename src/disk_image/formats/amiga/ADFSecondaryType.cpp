#include "disk_image/formats/amiga/ADFSecondaryType.hpp"

namespace zorv {

std::optional<ADFSecondaryType> adfSecondaryType(int64_t rawValue) {
    switch (rawValue) {
        case 1: return ADFSecondaryType::ST_ROOT;
        case 2: return ADFSecondaryType::ST_USERDIR;
        case 3: return ADFSecondaryType::ST_SOFTLINK;
        case 4: return ADFSecondaryType::ST_LINKDIR;
        case -3: return ADFSecondaryType::ST_FILE;
        case -4: return ADFSecondaryType::ST_LINKFILE;
        default: return std::nullopt;
    }
}

}  // namespace zorv
