#include "disk_image/model/PartitionMapEntryRepresentable.hpp"

namespace zorv {

void PartitionMapEntryRepresentable::setVolume(std::shared_ptr<const VolumeRepresentable> volume) {
    setAssociatedVolume(std::move(volume));
}

CodablePartition PartitionMapEntryRepresentable::codable(bool verbose) const {
    CodablePartition record;
    record.type = partitionTypeLabel();
    record.name = partitionName();
    record.startBlock = startPhysicalBlock();
    record.sizeInBlocks = sizeInPhysicalBlocks();
    if (verbose) {
        if (const auto volume = associatedVolume()) record.volume = volume->codable(true);
    }
    return record;
}

}  // namespace zorv
