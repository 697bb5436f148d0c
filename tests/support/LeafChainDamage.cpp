#include "support/LeafChainDamage.hpp"

#include <cstdint>
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

struct LeafNode {
    uint64_t number;
    size_t place;  // in the volume's bytes
    uint64_t size;
};

// A leaf node of the file named by its header record: firstLeafNode
// (`leafField` 10) or lastLeafNode (14). The file's extents are three 16-bit
// pairs in an HFS master directory block, eight 32-bit pairs in an HFS+
// volume header; nothing when a piece is not inside one extent.
std::optional<LeafNode> leafNode(const Bytes& volume, VolumeBTreeFile file, size_t leafField) {
    if (volume.size() < headerOffset + 512) return std::nullopt;
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
        return std::nullopt;
    }
    const auto place = [&](uint64_t offset, uint64_t length) -> std::optional<size_t> {
        for (size_t i = 0; i < count; ++i) {
            const size_t at = record + 2 * width * i;
            const uint64_t start = firstByte + bigEndian(volume, at, width) * blockSize;
            const uint64_t size = bigEndian(volume, at + width, width) * blockSize;
            if (offset < size) {
                if (offset + length > size || start + offset + length > volume.size()) return std::nullopt;
                return static_cast<size_t>(start + offset);
            }
            offset -= size;
        }
        return std::nullopt;
    };
    // The header record follows the 14-byte node descriptor.
    const auto header = place(0, 512);
    if (!header) return std::nullopt;
    const uint64_t leaf = bigEndian(volume, *header + 14 + leafField, 4);
    const uint64_t nodeSize = bigEndian(volume, *header + 32, 2);
    const auto node = place(leaf * nodeSize, nodeSize);
    if (leaf == 0 || nodeSize < 16 || !node) return std::nullopt;
    return LeafNode{leaf, *node, nodeSize};
}

}  // namespace

bool linkLastLeafToItself(Bytes& volume, VolumeBTreeFile file) {
    const auto node = leafNode(volume, file, 14);
    if (!node) return false;
    // A node opens with its forward link.
    for (size_t i = 0; i < 4; ++i) volume[node->place + i] = static_cast<uint8_t>(node->number >> (24 - 8 * i));
    return true;
}

std::optional<size_t> firstLeafRecord(const Bytes& volume, VolumeBTreeFile file) {
    const auto node = leafNode(volume, file, 10);
    if (!node) return std::nullopt;
    // A node's last two bytes give the offset of its first record.
    const uint64_t record = bigEndian(volume, node->place + node->size - 2, 2);
    if (record < 14 || record >= node->size) return std::nullopt;
    return node->place + static_cast<size_t>(record);
}

}  // namespace zorv::testing
