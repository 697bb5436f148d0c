#include "disk_image/formats/amiga/ADFDiskBlockType.hpp"

namespace zorv {

std::optional<ADFDiskBlockType> adfDiskBlockType(int64_t rawValue) {
    switch (rawValue) {
        case 2: return ADFDiskBlockType::T_HEADER;
        case 8: return ADFDiskBlockType::T_DATA;
        case 16: return ADFDiskBlockType::T_LIST;
        default: return std::nullopt;
    }
}

}  // namespace zorv
