#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusForkDataStucture.hpp"

#include <algorithm>

#include "data_access/CheckedMath.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

namespace {

[[noreturn]] void refuseExtents() {
    throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
}

}  // namespace

HFSPlusForkDataStucture::HFSPlusForkDataStucture(int64_t blockSize)
    : BlockStructureDefinable(blockSize, ImageBytes()),
      extents(extentCount, HFSPlusExtentDescriptor(0, 0, blockSize)) {}

HFSPlusForkDataStucture::HFSPlusForkDataStucture(const ImageBytes& block, int64_t blockSize)
    : BlockStructureDefinable(blockSize, ImageBytes()) {
    if (block.empty()) {
        *this = HFSPlusForkDataStucture(blockSize);
        return;
    }
    structureData = block.slice(0, size);
    HFSPlusReaderBlock reader(structureData);
    logicalSize = reader.getLongLongInteger();
    clumpSize = reader.getLongInteger();
    totalBlocks = reader.getLongInteger();
    // The extents follow, read where they lie.
    extents.reserve(extentCount);
    for (int64_t index = 0; index < extentCount; ++index) {
        extents.emplace_back(structureData.slice(reader.offset + index * HFSPlusExtentDescriptor::size,
                                                 HFSPlusExtentDescriptor::size),
                             blockSize);
    }
}

int64_t HFSPlusForkDataStucture::extentBlockCount() const {
    int64_t blocks = 0;
    for (const auto& extent : extents) blocks = checked::add(blocks, extent.blockCount);
    return blocks;
}

ImageBytes HFSPlusForkDataStucture::gatherExtents(const ImageBytes& volume, int64_t allocationBlockSize,
                                                  const std::vector<HFSPlusExtentDescriptor>& extents) {
    if (allocationBlockSize <= 0) refuseExtents();
    const int64_t volumeBlocks = static_cast<int64_t>(volume.size()) / allocationBlockSize;

    // Check every extent before copying anything.
    int64_t coveredBlocks = 0;
    const HFSPlusExtentDescriptor* onlyExtent = nullptr;
    int64_t extentsWithBlocks = 0;
    for (const auto& extent : extents) {
        if (extent.startBlock < 0 || extent.blockCount < 0) refuseExtents();
        if (extent.startBlock > volumeBlocks || extent.blockCount > volumeBlocks - extent.startBlock) refuseExtents();
        coveredBlocks += extent.blockCount;  // each term is at most volumeBlocks: checked below before it can grow
        if (coveredBlocks > volumeBlocks) refuseExtents();
        if (extent.blockCount > 0) {
            onlyExtent = &extent;
            ++extentsWithBlocks;
        }
    }
    if (extentsWithBlocks == 0) return ImageBytes();
    if (extentsWithBlocks == 1) {
        return volume.slice(onlyExtent->startBlock * allocationBlockSize, onlyExtent->blockCount * allocationBlockSize);
    }

    Bytes joined;
    joined.reserve(static_cast<size_t>(coveredBlocks * allocationBlockSize));
    for (const auto& extent : extents) {
        const ImageBytes run =
            volume.slice(extent.startBlock * allocationBlockSize, extent.blockCount * allocationBlockSize);
        joined.insert(joined.end(), run.begin(), run.end());
    }
    return ImageBytes(std::move(joined));
}

std::optional<ImageBytes> HFSPlusForkDataStucture::contents(const ImageBytes& gathered) const {
    if (gathered.empty()) return std::nullopt;
    return gathered.slice(0, std::min<int64_t>(logicalSize, static_cast<int64_t>(gathered.size())));
}

std::vector<Bytes> HFSPlusForkDataStucture::dataBlockArray() const {
    Bytes joinedExtents;
    for (const auto& extent : extents) {
        const Bytes bytes = extent.dataBlock();
        joinedExtents.insert(joinedExtents.end(), bytes.begin(), bytes.end());
    }
    return {longLongInteger(logicalSize), longInteger(clumpSize), longInteger(totalBlocks), std::move(joinedExtents)};
}

}  // namespace zorv
