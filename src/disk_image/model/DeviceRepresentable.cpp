#include "disk_image/model/DeviceRepresentable.hpp"

namespace zorv {

std::optional<int64_t> DeviceRepresentable::firstInterestingPartition() const {
    const auto partitions = devicePartitions();
    for (size_t index = 0; index < partitions.size(); ++index) {
        if (partitions[index] && partitions[index]->isInteresting()) return static_cast<int64_t>(index);
    }
    return std::nullopt;
}

const PhysicalDiskRepresentable* DeviceRepresentable::physicalDisk() const { return nullptr; }

}  // namespace zorv
