#include "disk_image/blocks/BlockStructureDefinable.hpp"

#include "data_access/CheckedMath.hpp"

namespace zorv {

void BlockStructureDefinable::unreachable() {
    throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
}

int64_t BlockStructureDefinable::sizeInBlocks() const {
    return blockSize > 0 ? sizeInBytes() / blockSize : 0;
}

int64_t BlockStructureDefinable::bytePosition(int64_t block) const {
    int64_t position;
    if (__builtin_mul_overflow(block, blockSize, &position)) unreachable();
    return position;
}

ImageBytes BlockStructureDefinable::getBlockAtPosition(int64_t block, int64_t count) const {
    int64_t end;
    if (block < 0 || count < 0 || blockSize <= 0 || __builtin_add_overflow(block, count, &end) ||
        end > sizeInBlocks()) {
        unreachable();
    }
    return structureData.slice(block * blockSize, count * blockSize);
}

std::vector<ImageBytes> BlockStructureDefinable::getBlockArray(const std::vector<int64_t>& blocks) const {
    std::vector<ImageBytes> result;
    result.reserve(blocks.size());
    for (int64_t block : blocks) result.push_back(getBlockAtPosition(block, 1));
    return result;
}

ImageBytes BlockStructureDefinable::getGroupedBlocks(const std::vector<int64_t>& blocks) const {
    if (blocks.empty()) return {};
    // A run of consecutive blocks is one slice of the buffer: no copy.
    bool consecutive = true;
    for (size_t i = 1; i < blocks.size() && consecutive; ++i) consecutive = blocks[i] == blocks[i - 1] + 1;
    if (consecutive) return getBlockAtPosition(blocks.front(), static_cast<int64_t>(blocks.size()));

    Bytes joined;
    joined.reserve(blocks.size() * static_cast<size_t>(blockSize));
    for (int64_t block : blocks) {
        const ImageBytes bytes = getBlockAtPosition(block, 1);
        joined.insert(joined.end(), bytes.begin(), bytes.end());
    }
    return ImageBytes(std::move(joined));
}

bool BlockStructureDefinable::validatePresenceOfData(ByteView bytes, int64_t position) const {
    if (!checked::rangeFits(position, static_cast<int64_t>(bytes.size()), sizeInBytes())) return false;
    return std::equal(bytes.begin(), bytes.end(), structureData.begin() + position);
}

Bytes BlockStructureDefinable::paddedTo32K() const {
    constexpr int64_t chunk = 32768;
    Bytes padded(structureData.begin(), structureData.end());
    padded.resize(padded.size() + static_cast<size_t>(chunk - sizeInBytes() % chunk), 0);
    return padded;
}

void BlockStructureDefinable::appendEmptyBlocks(int64_t count) {
    int64_t bytes;
    if (count < 0 || __builtin_mul_overflow(count, blockSize, &bytes) || bytes < 0) unreachable();
    structureData.appendZeros(static_cast<size_t>(bytes));
}

void BlockStructureDefinable::initLogicalBlock(int64_t block, ByteView bytes, std::optional<int64_t> count) {
    if (block < 0) unreachable();
    const int64_t start = bytePosition(block);
    int64_t zeroLength = 0;
    if (count && (*count < 0 || __builtin_mul_overflow(*count, blockSize, &zeroLength))) unreachable();
    if (!checked::rangeFits(start, zeroLength, sizeInBytes()) ||
        !checked::rangeFits(start, static_cast<int64_t>(bytes.size()), sizeInBytes())) {
        unreachable();
    }
    if (count) structureData.zeroFill(start, zeroLength);
    structureData.replace(start, bytes);
}

}  // namespace zorv
