#pragma once

#include <cstdint>
#include <optional>

namespace zorv {

// The secondary type of an Amiga DOS header block: the signed long at offset
// 508, which says what the header describes.
enum class ADFSecondaryType : int64_t {
    ST_ROOT = 1,
    ST_USERDIR = 2,
    ST_SOFTLINK = 3,
    ST_LINKDIR = 4,    // hard link to a directory
    ST_FILE = -3,      // file header and file extension blocks
    ST_LINKFILE = -4,  // hard link to a file
    unknown = 666,
};

// The secondary type a stored signed long names; nothing for any other value.
std::optional<ADFSecondaryType> adfSecondaryType(int64_t rawValue);

constexpr int64_t rawValue(ADFSecondaryType type) { return static_cast<int64_t>(type); }

}  // namespace zorv
