#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data_access/Bytes.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "support/Corpus.hpp"
#include "support/ItemPaths.hpp"

namespace zorv::testing {

// The byte offset of `offset` inside 512-byte block `block`.
inline size_t amigaOffset(int64_t block, size_t offset = 0) { return static_cast<size_t>(block) * 512 + offset; }

// A big-endian long of an image, read and written in place.
inline uint32_t longAt(ByteView bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
           static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

inline void putLong(Bytes& bytes, size_t at, uint32_t value) {
    for (size_t index = 0; index < 4; ++index) bytes[at + index] = static_cast<uint8_t>(value >> (24 - 8 * index));
}

// A corpus image as bytes to change; nothing when it is absent.
inline std::optional<Bytes> corpusBytes(const std::string& file) {
    const auto image = corpusImage(file);
    if (!image) return std::nullopt;
    return image->toBytes();
}

}  // namespace zorv::testing
