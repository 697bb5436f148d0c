#include "disk_image/formats/apple2/prodos/ProDOSStorageType.hpp"

namespace zorv {

std::optional<ProDOSStorageType> proDOSStorageType(int64_t rawValue) {
    switch (rawValue) {
        case 0x0: return ProDOSStorageType::deleted;
        case 0x1: return ProDOSStorageType::seedling;
        case 0x2: return ProDOSStorageType::sapling;
        case 0x3: return ProDOSStorageType::tree;
        case 0x4: return ProDOSStorageType::pascalArea;
        case 0x5: return ProDOSStorageType::extendedFile;
        case 0xD: return ProDOSStorageType::subdirectory;
        case 0xE: return ProDOSStorageType::subdirectoryHeader;
        case 0xF: return ProDOSStorageType::volumeDirectoryHeader;
        default: return std::nullopt;
    }
}

ProDOSStorageType proDOSStorageTypeOrDeleted(int64_t rawValue) {
    return proDOSStorageType(rawValue).value_or(ProDOSStorageType::deleted);
}

}  // namespace zorv
