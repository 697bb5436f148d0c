#pragma once

#include <cstdint>
#include <optional>

namespace zorv {

// The primary type of an Amiga DOS block: the long at offset 0 of every
// header, extension and OFS data block.
enum class ADFDiskBlockType : int64_t {
    T_HEADER = 2,  // root block, file and directory headers, links
    T_DATA = 8,    // OFS data block
    T_LIST = 16,   // file extension block
    unknown = 9999,
};

// The block type a stored long names; nothing for any other value (no block
// is ever read as `unknown`).
std::optional<ADFDiskBlockType> adfDiskBlockType(int64_t rawValue);

constexpr int64_t rawValue(ADFDiskBlockType type) { return static_cast<int64_t>(type); }

}  // namespace zorv
