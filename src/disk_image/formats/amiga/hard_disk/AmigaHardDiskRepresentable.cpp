#include "disk_image/formats/amiga/hard_disk/AmigaHardDisk.hpp"

namespace zorv {

std::string AmigaHardDisk::deviceName() const {
    return drive_.diskVendor + " " + drive_.diskProduct + " " + drive_.diskRevision;
}

std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> AmigaHardDisk::devicePartitions() const {
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> listed;
    listed.reserve(partitions.size());
    for (const ADFDiskPartition& partition : partitions)
        listed.push_back(std::make_shared<const ADFDiskPartition>(partition));
    return listed;
}

int64_t AmigaHardDisk::physicalBlockSize() const { return drive_.blockBytes; }

std::shared_ptr<const VolumeRepresentable> AmigaHardDisk::volumeForPartition(int64_t index) const {
    if (index < 0 || index >= std::ssize(partitions)) return nullptr;
    return partitions[static_cast<size_t>(index)].associatedVolume();
}

int64_t AmigaHardDisk::trackCount() const { return drive_.cylinders; }

int64_t AmigaHardDisk::sectorCount() const { return drive_.sectors; }

int64_t AmigaHardDisk::sideCount() const { return drive_.heads; }

}  // namespace zorv
