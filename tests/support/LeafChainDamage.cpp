#include "support/LeafChainDamage.hpp"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace zorv::testing {

namespace {

constexpr size_t headerOffset = 1024;  // of the master directory block or volume header

uint64_t bigEndian(const Bytes& bytes, size_t offset, size_t width) {
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value = (value << 8) | bytes.at(offset + i);
    return value;
}

// The file's extents as (start in the volume's bytes, length): three 16-bit
// pairs in an HFS master directory block, eight 32-bit pairs in an HFS+
// volume header.
std::vector<std::pair<uint64_t, uint64_t>> extentsOf(const Bytes& volume, VolumeBTreeFile file) {
    if (volume.size() < headerOffset + 512) return {};
    const uint64_t signature = bigEndian(volume, headerOffset, 2);
    const bool catalog = file == VolumeBTreeFile::catalog;
    size_t record, count, width;
    uint64_t blockSize, firstByte = 0;
    if (signature == 0x4244) {  // "BD"
        record = headerOffset + (catalog ? 150 : 134), count = 3, width = 2;
        blockSize = bigEndian(volume, headerOffset + 20, 4);
        firstByte = bigEndian(volume, headerOffset + 28, 2) * 512;
    } else if (signature == 0x482B || signature == 0x4858) {  // "H+", "HX"
        record = headerOffset + (catalog ? 272 : 192) + 16, count = 8, width = 4;
        blockSize = bigEndian(volume, headerOffset + 40, 4);
    } else {
        return {};
    }
    std::vector<std::pair<uint64_t, uint64_t>> extents;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = record + 2 * width * i;
        extents.emplace_back(firstByte + bigEndian(volume, at, width) * blockSize,
                             bigEndian(volume, at + width, width) * blockSize);
    }
    return extents;
}

// Where bytes [offset, offset + length) of the file lie in the volume, when
// they lie in one extent inside it.
std::optional<size_t> placeOf(const std::vector<std::pair<uint64_t, uint64_t>>& extents, uint64_t offset,
                              uint64_t length, size_t volumeSize) {
    for (const auto& [start, size] : extents) {
        if (offset < size) {
            if (offset + length > size || start + offset + length > volumeSize) return std::nullopt;
            return static_cast<size_t>(start + offset);
        }
        offset -= size;
    }
    return std::nullopt;
}

}  // namespace

bool linkLastLeafToItself(Bytes& volume, VolumeBTreeFile file) {
    const auto extents = extentsOf(volume, file);
    // The header record follows the node descriptor: lastLeafNode at 14 + 14,
    // nodeSize at 14 + 18. A node opens with its forward link.
    const auto header = placeOf(extents, 0, 512, volume.size());
    if (!header) return false;
    const uint64_t lastLeaf = bigEndian(volume, *header + 28, 4);
    const uint64_t nodeSize = bigEndian(volume, *header + 32, 2);
    const auto link = placeOf(extents, lastLeaf * nodeSize, nodeSize, volume.size());
    if (lastLeaf == 0 || nodeSize == 0 || !link) return false;
    for (size_t i = 0; i < 4; ++i) volume[*link + i] = static_cast<uint8_t>(lastLeaf >> (24 - 8 * i));
    return true;
}

std::optional<size_t> firstLeafRecord(const Bytes& volume, VolumeBTreeFile file) {
    const auto extents = extentsOf(volume, file);
    // firstLeafNode at 14 + 10 of the header node; a node's last two bytes
    // give the offset of its first record.
    const auto header = placeOf(extents, 0, 512, volume.size());
    if (!header) return std::nullopt;
    const uint64_t firstLeaf = bigEndian(volume, *header + 24, 4);
    const uint64_t nodeSize = bigEndian(volume, *header + 32, 2);
    const auto leaf = placeOf(extents, firstLeaf * nodeSize, nodeSize, volume.size());
    if (firstLeaf == 0 || nodeSize < 16 || !leaf) return std::nullopt;
    const uint64_t record = bigEndian(volume, *leaf + nodeSize - 2, 2);
    if (record < 14 || record >= nodeSize) return std::nullopt;
    return *leaf + static_cast<size_t>(record);
}

}  // namespace zorv::testing
