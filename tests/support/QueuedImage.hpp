#pragma once

#include <algorithm>

#include "data_access/Bytes.hpp"
#include "disk_image/blocks/PhysicalBlockFile.hpp"

namespace zorv::testing {

// The bytes generateFile() would write for the file, without writing it:
// zeros of the file's size, then every queued run at its block, in queue
// order (a run reaching past the end grows the image, as it would the file).
inline Bytes imageOfQueue(const PhysicalBlockFile& file) {
    Bytes image(static_cast<size_t>(file.sizeInBytes), 0);
    for (const auto& [block, bytes] : file.blocksToInstall()) {
        const auto position = static_cast<size_t>(block * file.blockSize());
        if (image.size() < position + bytes.size()) image.resize(position + bytes.size(), 0);
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(position));
    }
    return image;
}

}  // namespace zorv::testing
