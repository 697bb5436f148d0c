#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"

#include <algorithm>
#include <limits>
#include <numeric>

#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeHeader.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptorError.hpp"

namespace zorv {
namespace {

using VolumePointer = std::shared_ptr<const VolumeRepresentable>;

// The HFS volume in the bytes, or the HFS+ volume its wrapper carries (the
// kind then becomes hfsPlus). Throws whatever opening them throws.
VolumePointer openHFS(const ImageBytes& bytes, VolumeType& volumeType) {
    auto volume = std::make_shared<const HFSVolume>(bytes);
    if (!volume->wrapsHFSPlus()) return volume;
    volumeType = VolumeType::hfsPlus;
    return volume->extractedHFSPlus();
}

// The volume the bytes hold as the given kind; null, with the kind turned to
// unreadable, when they do not open as one.
VolumePointer openVolume(const ImageBytes& bytes, VolumeType& volumeType) {
    try {
        switch (volumeType) {
            case VolumeType::hfs: return openHFS(bytes, volumeType);
            case VolumeType::hfsPlus:
                // The HFS+ volume answers null for bytes that are not one.
                if (auto volume = openEmbeddedHFSPlusVolume(bytes)) return volume;
                break;
            case VolumeType::mfs:
                return std::make_shared<const MFSVolume>(VolumeDescriptor::defaultBlockSize, bytes);
            case VolumeType::proDOS: return std::make_shared<const ProDOSVolume>(bytes);
            case VolumeType::dos33: return std::make_shared<const DOS33Disk>(bytes);
            case VolumeType::aux:
            case VolumeType::unreadable: return nullptr;
        }
    } catch (const std::exception&) {
        // Any failure to open means the same: the bytes are not that volume.
    }
    volumeType = VolumeType::unreadable;
    return nullptr;
}

std::map<int64_t, ImageBytes> asImageBytes(std::map<int64_t, Bytes> blocks) {
    std::map<int64_t, ImageBytes> converted;
    for (auto& [offset, bytes] : blocks) converted.emplace(offset, ImageBytes(std::move(bytes)));
    return converted;
}

// The two volume headers of a new HFS+ volume; the rest stays zero.
std::map<int64_t, ImageBytes> newHFSPlusVolumeBlocks(int64_t sizeInBlocks) {
    if (sizeInBlocks < HFSPlusVolumeHeader::minimumBlankVolumeBlocks) {
        throw VolumeDescriptorError(VolumeDescriptorError::Case::volumeTooSmall, sizeInBlocks);
    }
    if (sizeInBlocks > 0xFFFFFFFFLL) throw VolumeDescriptorError(VolumeDescriptorError::Case::volumeTooLarge, sizeInBlocks);
    return asImageBytes(HFSPlusVolume::blocksForNewHFSPlusVolume(sizeInBlocks, VolumeDescriptor::blankVolumeName,
                                                                 VolumeDescriptor::defaultBlockSize));
}

// A whole formatted ProDOS volume (at most 65,535 blocks; a larger partition
// keeps its size) in ProDOS block order, placed from the partition's start.
std::map<int64_t, ImageBytes> newProDOSVolumeBlocks(int64_t sizeInBlocks) {
    return {{0, ProDOSVolume::blankVolume(sizeInBlocks).dataInProDOSBlockOrder()}};
}

std::map<int64_t, ImageBytes> newHFSVolumeBlocks(int64_t sizeInBlocks) {
    if (sizeInBlocks < MasterDirectoryBlock::minimumBlankVolumeBlocks) {
        throw VolumeDescriptorError(VolumeDescriptorError::Case::volumeTooSmall, sizeInBlocks);
    }
    if (sizeInBlocks > MasterDirectoryBlock::maximumBlankVolumeBlocks) {
        throw VolumeDescriptorError(VolumeDescriptorError::Case::volumeTooLarge, sizeInBlocks);
    }
    std::map<int64_t, ImageBytes> blocks;
    for (auto& [offset, bytes] : HFSVolume::blocksForNewHFSVolume(sizeInBlocks, VolumeDescriptor::blankVolumeName,
                                                                  VolumeDescriptor::defaultBlockSize)) {
        blocks.emplace(offset, ImageBytes(std::move(bytes)));
    }
    return blocks;
}

}  // namespace

VolumeDescriptor::VolumeDescriptor(std::string name, int64_t startBlock, int64_t sizeInBlocks,
                                   std::map<int64_t, ImageBytes> blocksToInstall, VolumeType volumeType)
    : blocksToInstall(std::move(blocksToInstall)),
      sizeInBlocks(sizeInBlocks),
      name_(std::move(name)),
      volumeType_(volumeType),
      startBlock_(startBlock) {}

VolumeDescriptor VolumeDescriptor::fromExistingData(std::string name, int64_t startBlock, ImageBytes existingData,
                                                    VolumeType volumeType) {
    const auto blockCount = static_cast<int64_t>(existingData.size()) / defaultBlockSize;
    VolumePointer parsed = openVolume(existingData, volumeType);
    VolumeDescriptor descriptor(std::move(name), startBlock, blockCount, {{0, std::move(existingData)}}, volumeType);
    descriptor.parsedVolume_ = std::move(parsed);
    return descriptor;
}

VolumeDescriptor VolumeDescriptor::newBlankVolume(std::string name, int64_t startBlock, int64_t sizeInBlocks,
                                                  VolumeType volumeType) {
    if (sizeInBlocks < 0) throw VolumeDescriptorError(VolumeDescriptorError::Case::volumeTooSmall, sizeInBlocks);
    std::map<int64_t, ImageBytes> blocks;
    switch (volumeType) {
        case VolumeType::hfs: blocks = newHFSVolumeBlocks(sizeInBlocks); break;
        case VolumeType::hfsPlus: blocks = newHFSPlusVolumeBlocks(sizeInBlocks); break;
        case VolumeType::proDOS: blocks = newProDOSVolumeBlocks(sizeInBlocks); break;
        case VolumeType::mfs:
        case VolumeType::dos33:
        case VolumeType::aux:
        case VolumeType::unreadable: break;
    }
    return VolumeDescriptor(std::move(name), startBlock, sizeInBlocks, std::move(blocks), volumeType);
}

ImageBytes VolumeDescriptor::dataBlock() const {
    const auto found = blocksToInstall.find(0);
    return found == blocksToInstall.end() ? ImageBytes() : found->second;
}

PartitionType VolumeDescriptor::partitionType() const {
    switch (volumeType_) {
        case VolumeType::hfs:
        case VolumeType::hfsPlus: return PartitionType::appleHFS(startBlock_, sizeInBlocks, name_);
        case VolumeType::mfs: return PartitionType::appleMFS(startBlock_, sizeInBlocks, name_);
        case VolumeType::proDOS:
        case VolumeType::dos33: return PartitionType::applePRODOS(startBlock_, sizeInBlocks, name_);
        case VolumeType::aux: return PartitionType::appleUnixSVR2(startBlock_, sizeInBlocks, name_);
        case VolumeType::unreadable: break;
    }
    return PartitionType(PartitionType::Case::appleVoid);
}

PartitionMapEntry VolumeDescriptor::partitionMapEntry() const {
    return PartitionMapEntry(partitionType(), 0, blockSize);
}

std::vector<VolumeDescriptor> VolumeDescriptor::allocateBlocks(const std::vector<VolumeDescriptor>& volumes,
                                                               int64_t startBlock, int64_t availableSizeInBlocks) {
    int64_t total = startBlock;
    for (const auto& volume : volumes) {
        if (volume.sizeInBlocks < 0) {
            throw VolumeDescriptorError(VolumeDescriptorError::Case::volumeTooSmall, volume.sizeInBlocks);
        }
        if (__builtin_add_overflow(total, volume.sizeInBlocks, &total)) {
            throw VolumeDescriptorError(VolumeDescriptorError::Case::volumeSizeOverflow,
                                        std::numeric_limits<int64_t>::max());
        }
    }
    if (total > availableSizeInBlocks) {
        throw VolumeDescriptorError(VolumeDescriptorError::Case::volumeSizeOverflow, total);
    }

    // Largest first; sizes are not negative, so those of 0 come last.
    std::vector<size_t> order(volumes.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&volumes](size_t a, size_t b) { return volumes[a].sizeInBlocks > volumes[b].sizeInBlocks; });

    std::vector<VolumeDescriptor> allocated;
    allocated.reserve(volumes.size());
    int64_t next = startBlock;
    int64_t remaining = availableSizeInBlocks - startBlock;
    for (const size_t index : order) {
        const VolumeDescriptor& volume = volumes[index];
        const int64_t size = volume.sizeInBlocks != 0 ? volume.sizeInBlocks : remaining;
        allocated.emplace_back(volume.name_, next, size, volume.blocksToInstall, volume.volumeType_);
        next += size;
        remaining -= size;
    }
    return allocated;
}

}  // namespace zorv
