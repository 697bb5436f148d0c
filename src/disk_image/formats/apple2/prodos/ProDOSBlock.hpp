#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/apple2/AppleIIBlockable.hpp"

namespace zorv {

// One 512-byte block of a ProDOS directory: the little-endian numbers of the
// previous and the next block of the directory's chain (0 for none), then
// the 508 bytes of entries.
struct ProDOSBlock : AppleIIBlockable<ProDOSBlock> {
    static constexpr int64_t pointersSize = 4;

    int64_t previousBlock = 0;
    int64_t nextBlock = 0;
    ImageBytes blockData;  // the bytes after the two pointers, a slice of the block

    ProDOSBlock() = default;
    ProDOSBlock(int64_t previousBlock, int64_t nextBlock, ImageBytes blockData)
        : previousBlock(previousBlock), nextBlock(nextBlock), blockData(std::move(blockData)) {}
    // Reads the two pointers and keeps the rest. Throws ReadPastEndError for
    // fewer than 4 bytes.
    explicit ProDOSBlock(const ImageBytes& block);

    // The two pointers (2 bytes each) and blockData unchanged. A pointer
    // outside 0 to 65,535 throws FieldEncodingError.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
