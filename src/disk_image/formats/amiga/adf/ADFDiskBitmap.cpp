#include "disk_image/formats/amiga/adf/ADFDiskBitmap.hpp"

#include <algorithm>
#include <bit>
#include <span>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmapError.hpp"

namespace zorv {
namespace {

// Flags count from the first block after the boot block.
constexpr int64_t firstFlaggedBlock = 2;
constexpr int64_t flagsPerBlock = ADFDiskBitmapBlock::flagsPerBlock;

}  // namespace

int64_t ADFDiskBitmap::pagesNeeded(int64_t totalBlocks) {
    const int64_t flags = totalBlocks - firstFlaggedBlock;
    return flags > 0 ? (flags + flagsPerBlock - 1) / flagsPerBlock : 0;
}

ADFDiskBitmap::ADFDiskBitmap(const ADFDiskGeometry& geometry) : geometry(geometry) {
    const int64_t total = geometry.totalBlocks();
    const int64_t root = geometry.rootBlock();
    const int64_t count = total > 0 ? (total + flagsPerBlock - 1) / flagsPerBlock : 0;

    // Bitmap blocks after the root; past the root block's 25, each run is
    // followed by the extension block that lists it.
    int64_t next = root + 1;
    std::vector<int64_t> keys;
    for (int64_t index = 0; index < std::min(count, pagesInRootBlock); ++index) keys.push_back(next++);
    for (int64_t left = count - pagesInRootBlock; left > 0; left -= pagesPerExtensionBlock) {
        std::vector<int64_t> listed;
        for (int64_t index = 0; index < std::min(left, pagesPerExtensionBlock); ++index) listed.push_back(next++);
        keys.insert(keys.end(), listed.begin(), listed.end());
        extensionBlocks.emplace(next++, std::move(listed));
    }
    // A root in the boot block, or structures past the last block, would be
    // written over the boot block or outside the volume.
    if (count == 0 || root < firstFlaggedBlock || next > total) {
        throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
    }

    std::vector<ADFDiskBitmapBlock> blocks;
    for (size_t index = 0; index < keys.size(); ++index) {
        blocks.emplace_back(std::min(flagsPerBlock, total - static_cast<int64_t>(index) * flagsPerBlock));
    }
    // Every block marked lies below `total`, so within the flags.
    const auto occupy = [&blocks](int64_t block) {
        const int64_t flag = block - firstFlaggedBlock;
        blocks[static_cast<size_t>(flag / flagsPerBlock)].markAsOccupied(flag % flagsPerBlock);
    };
    occupy(root);
    for (const int64_t key : keys) occupy(key);
    for (const auto& [key, listed] : extensionBlocks) occupy(key);
    for (size_t index = 0; index < keys.size(); ++index) bitmapBlocks.emplace_back(keys[index], blocks[index]);
}

void ADFDiskBitmap::markAsOccupied(int64_t block) {
    const int64_t flag = block - firstFlaggedBlock;
    if (flag < 0 || flag / flagsPerBlock >= std::ssize(bitmapBlocks)) {
        throw ADFDiskBitmapError(ADFDiskBitmapError::Case::locationNotFound);
    }
    bitmapBlocks[static_cast<size_t>(flag / flagsPerBlock)].second.markAsOccupied(flag % flagsPerBlock);
}

bool ADFDiskBitmap::isFree(int64_t block) const {
    const int64_t flag = block - firstFlaggedBlock;
    if (flag < 0 || flag / flagsPerBlock >= std::ssize(bitmapBlocks)) return false;
    return bitmapBlocks[static_cast<size_t>(flag / flagsPerBlock)].second.isFree(flag % flagsPerBlock);
}

std::optional<int64_t> ADFDiskBitmap::freeBlockCount(int64_t totalBlocks) const {
    const int64_t flags = totalBlocks - firstFlaggedBlock;
    const int64_t pages = pagesNeeded(totalBlocks);
    if (flags < 0 || std::ssize(bitmapBlocks) < pages) return std::nullopt;
    int64_t freeBlocks = 0;
    int64_t flag = 0;  // the first flag of the group being counted
    // Blocks listed after the ones that hold the flags are not counted.
    for (const auto& [key, block] : std::span(bitmapBlocks).first(static_cast<size_t>(pages))) {
        if (key < firstFlaggedBlock || key >= totalBlocks) return std::nullopt;
        for (const uint32_t group : block.blockFlagGroups) {
            if (flag >= flags) break;
            const int64_t counted = std::min<int64_t>(flags - flag, 32);
            const uint32_t mask = counted == 32 ? ~uint32_t{0} : (uint32_t{1} << counted) - 1;
            freeBlocks += std::popcount(group & mask);
            flag += 32;
        }
    }
    return freeBlocks;
}

std::vector<std::vector<int64_t>> ADFDiskBitmap::bitmapLocationGroups() const {
    std::vector<std::vector<int64_t>> groups(1);
    for (const auto& [key, block] : bitmapBlocks) {
        const bool full = groups.size() == 1 ? std::ssize(groups.back()) == pagesInRootBlock
                                             : std::ssize(groups.back()) == pagesPerExtensionBlock;
        if (full) groups.emplace_back();
        groups.back().push_back(key);
    }
    groups.front().resize(pagesInRootBlock, 0);
    return groups;
}

int64_t ADFDiskBitmap::firstExtension() const {
    if (std::ssize(bitmapBlocks) <= pagesInRootBlock) return 0;
    if (!extensionBlocks.empty()) return extensionBlocks.begin()->first;
    int64_t largest = 0;
    for (const auto& [key, block] : bitmapBlocks) largest = std::max(largest, key);
    return largest + 1;
}

std::vector<std::pair<int64_t, Bytes>> ADFDiskBitmap::extensionBlockData() const {
    std::vector<std::pair<int64_t, Bytes>> blocks;
    for (auto extension = extensionBlocks.begin(); extension != extensionBlocks.end(); ++extension) {
        std::vector<int64_t> longs = extension->second;
        longs.resize(pagesPerExtensionBlock, 0);
        const auto next = std::next(extension);
        longs.push_back(next == extensionBlocks.end() ? 0 : next->first);
        blocks.emplace_back(extension->first, longIntegerArray(longs));
    }
    return blocks;
}

std::vector<Bytes> ADFDiskBitmap::dataBlockArray() const {
    std::vector<Bytes> chunks;
    for (const auto& [key, block] : bitmapBlocks) chunks.push_back(block.dataBlock());
    return chunks;
}

}  // namespace zorv
