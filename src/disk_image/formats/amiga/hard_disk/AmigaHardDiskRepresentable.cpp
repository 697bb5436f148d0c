#include <exception>

#include "disk_image/formats/amiga/hard_disk/AmigaHardDisk.hpp"

namespace zorv {

std::optional<ADFDiskRigidDiskBlock> AmigaHardDisk::readableRigidDiskBlock() const {
    try {
        return rigidDiskBlock();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string AmigaHardDisk::deviceName() const {
    const auto block = readableRigidDiskBlock();
    if (!block) return "Unknown";
    return block->diskVendor + " " + block->diskProduct + " " + block->diskRevision;
}

std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> AmigaHardDisk::devicePartitions() const {
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> listed;
    listed.reserve(partitions.size());
    for (const ADFDiskPartition& partition : partitions)
        listed.push_back(std::make_shared<const ADFDiskPartition>(partition));
    return listed;
}

int64_t AmigaHardDisk::physicalBlockSize() const {
    const auto block = readableRigidDiskBlock();
    return block ? block->blockBytes : 0;
}

std::shared_ptr<const VolumeRepresentable> AmigaHardDisk::volumeForPartition(int64_t index) const {
    if (index < 0 || index >= std::ssize(partitions)) return nullptr;
    return partitions[static_cast<size_t>(index)].associatedVolume();
}

int64_t AmigaHardDisk::trackCount() const {
    const auto block = readableRigidDiskBlock();
    return block ? block->cylinders : 0;
}

int64_t AmigaHardDisk::sectorCount() const {
    const auto block = readableRigidDiskBlock();
    return block ? block->sectors : 0;
}

int64_t AmigaHardDisk::sideCount() const {
    const auto block = readableRigidDiskBlock();
    return block ? block->heads : 0;
}

}  // namespace zorv
