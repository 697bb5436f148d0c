#pragma once

#include <cstdint>
#include <optional>

namespace zorv {

// The storage type of a ProDOS directory entry: the high nibble of its first
// byte, which says what the entry is and how its key block is laid out.
enum class ProDOSStorageType : int64_t {
    deleted = 0x0,                // free or deleted entry
    seedling = 0x1,               // file of one data block
    sapling = 0x2,                // file with one index block
    tree = 0x3,                   // file with a master index block
    pascalArea = 0x4,             // Pascal area
    extendedFile = 0x5,           // file with a data fork and a resource fork
    subdirectory = 0xD,           // entry of a subdirectory
    subdirectoryHeader = 0xE,     // header of a subdirectory
    volumeDirectoryHeader = 0xF,  // header of the volume directory
};

// The storage type a nibble names; nothing for 0x6 to 0xC and values outside
// 0 to 15.
std::optional<ProDOSStorageType> proDOSStorageType(int64_t rawValue);

// The storage type a nibble names, `deleted` for one that names none: how
// file entries, subdirectory headers and fork entries read it.
ProDOSStorageType proDOSStorageTypeOrDeleted(int64_t rawValue);

constexpr int64_t rawValue(ProDOSStorageType storageType) { return static_cast<int64_t>(storageType); }

}  // namespace zorv
