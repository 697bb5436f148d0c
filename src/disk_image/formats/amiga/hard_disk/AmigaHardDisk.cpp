#include "disk_image/formats/amiga/hard_disk/AmigaHardDisk.hpp"

#include <algorithm>

#include "data_access/CheckedMath.hpp"
#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"
#include "disk_image/formats/amiga/hard_disk/ADFDiskFileSystemSegment.hpp"

namespace zorv {
namespace {

[[noreturn]] void unreacheableBlock() {
    throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
}

[[noreturn]] void invalidGeometry() { throw ADFDiskError(ADFDiskError::Case::invalidGeometryInHardDrive); }

bool startsWithSignature(const ImageBytes& image, int64_t offset) {
    const auto& signature = ADFDiskRigidDiskBlock::signature;
    if (!checked::rangeFits(offset, std::ssize(signature), static_cast<int64_t>(image.size()))) return false;
    return std::equal(signature.begin(), signature.end(), image.begin() + offset);
}

// The drive as the Rigid Disk Block describes it. A block size the records
// cannot be read from, or that does not divide into 512-byte sectors, and a
// drive whose byte count does not fit, describe no disk.
ADFDiskGeometry driveGeometryOf(const ADFDiskRigidDiskBlock& block) {
    if (block.blockBytes < AmigaHardDisk::minimumBlockSize || block.blockBytes % AmigaHardDisk::minimumBlockSize != 0) {
        invalidGeometry();
    }
    const ADFDiskGeometry geometry{block.cylinders, block.sectors, block.heads, block.blockBytes};
    try {
        checked::mul(geometry.totalBlocks(), geometry.blockSize);
    } catch (const ArithmeticOverflowError&) {
        invalidGeometry();
    }
    return geometry;
}

}  // namespace

AmigaHardDisk::AmigaHardDisk(ImageBytes block) : BlockStructureDefinable(minimumBlockSize, std::move(block)) {
    int64_t offset = 0;
    while (offset < sizeInBytes() && !startsWithSignature(structureData, offset)) offset += searchStep;
    if (offset >= sizeInBytes()) throw ADFDiskError(ADFDiskError::Case::noRigidDiskBlockInHardDrive);
    rigidDiskBlockBlockLocation = offset / searchStep;

    // Read first in 512-byte blocks, then again in the drive's own.
    const ADFDiskGeometry driveGeometry = driveGeometryOf(rigidDiskBlock());
    blockSize = driveGeometry.blockSize;
    drive_ = rigidDiskBlock();

    ChainBlocks read;
    readPartitions(drive_.partitionList, driveGeometry, read);
    readFileSystems(drive_.fileSysHeaderList, read);
}

std::optional<AmigaHardDisk> AmigaHardDisk::fromImageData(const ImageBytes& imageData) {
    if (!startsWithSignature(imageData, 0)) return std::nullopt;
    try {
        return AmigaHardDisk(imageData);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

ADFDiskRigidDiskBlock AmigaHardDisk::rigidDiskBlock() const {
    // Where it was found, whatever the block size: the search steps in
    // 512-byte sectors.
    const int64_t position = checked::mul(rigidDiskBlockBlockLocation, searchStep);
    if (blockSize < ADFDiskRigidDiskBlock::readSize || !checked::rangeFits(position, blockSize, sizeInBytes())) {
        unreacheableBlock();
    }
    return ADFDiskRigidDiskBlock(structureData.slice(position, blockSize));
}

std::optional<ImageBytes> AmigaHardDisk::chainBlock(int64_t pointer, ChainBlocks& read) const {
    if (pointer == ADFDiskRigidDiskBlock::endOfChain) return std::nullopt;
    if (pointer < 0 || pointer >= sizeInBlocks()) unreacheableBlock();
    // A chain that comes back to a block already read would never end; no
    // real drive shares a block between two chains either.
    if (!read.insert(pointer).second) return std::nullopt;
    return getBlockAtPosition(pointer);
}

void AmigaHardDisk::readPartitions(int64_t first, const ADFDiskGeometry& driveGeometry, ChainBlocks& read) {
    // Blocks left for volumes to open in: partitions that do not overlap
    // never need more than the image holds.
    int64_t budget = sizeInBlocks();
    for (auto block = chainBlock(first, read); block;) {
        ADFDiskPartition partition(*block, driveGeometry);
        partition.setAssociatedVolume(partitionVolume(partition, budget));
        const int64_t next = partition.next;
        partitions.push_back(std::move(partition));
        block = chainBlock(next, read);
    }
}

std::shared_ptr<const VolumeRepresentable> AmigaHardDisk::partitionVolume(const ADFDiskPartition& partition,
                                                                          int64_t& budget) const {
    const int64_t start = partition.startPhysicalBlock();
    const int64_t length = partition.sizeInBlocks();
    if (length == 0 || start > sizeInBlocks() || length > sizeInBlocks() - start) return nullptr;
    // Every try counts, a volume that fails to open as well: opening may walk
    // much of the partition before it fails.
    if (length > budget) return nullptr;
    budget -= length;
    auto volume =
        ADFDisk::fromImageData(getBlockAtPosition(start, length), partition.geometry, partition.volumeReservedBlocks());
    return volume ? std::make_shared<const ADFDisk>(std::move(*volume)) : nullptr;
}

void AmigaHardDisk::readFileSystems(int64_t first, ChainBlocks& read) {
    for (auto block = chainBlock(first, read); block;) {
        ADFDiskFileSystemHeader header(*block);
        for (auto segmentBlock = chainBlock(header.segListBlock, read); segmentBlock;) {
            const ADFDiskFileSystemSegment segment(*segmentBlock);
            header.lseg.insert(header.lseg.end(), segment.loadData.begin(), segment.loadData.end());
            segmentBlock = chainBlock(segment.next, read);
        }
        const int64_t next = header.next;
        fileSystemHeaders.push_back(std::move(header));
        block = chainBlock(next, read);
    }
}

}  // namespace zorv
