#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "data_access/ImageBytes.hpp"
#include "disk_image/model/CodablePartition.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// One partition of a device, as the reports see it whatever the device's
// format. Sizes and positions are in the device's physical blocks.
class PartitionMapEntryRepresentable {
public:
    virtual ~PartitionMapEntryRepresentable() = default;

    // The partition's type as the report names it.
    virtual std::string partitionTypeLabel() const = 0;
    // The partition's name as the report shows it.
    virtual std::string partitionName() const = 0;
    virtual int64_t sizeInBytes() const = 0;
    // The partition holds a volume the user cares about.
    virtual bool isInteresting() const = 0;
    // The report is to flag the partition.
    virtual bool hasWarning() const = 0;
    // Bytes the entry can supply for itself.
    virtual std::optional<ImageBytes> partitionData() const = 0;
    // The volume parsed from the partition, or null.
    virtual std::shared_ptr<const VolumeRepresentable> associatedVolume() const = 0;
    virtual void setAssociatedVolume(std::shared_ptr<const VolumeRepresentable> volume) = 0;
    // The name to use for the partition's contents.
    virtual std::string preferredName() const = 0;
    virtual int64_t startPhysicalBlock() const = 0;
    virtual int64_t sizeInPhysicalBlocks() const = 0;

    // Stores the volume as associatedVolume().
    void setVolume(std::shared_ptr<const VolumeRepresentable> volume);
    // The partition's record in the JSON report; with `verbose`, with its
    // volume's record (itself verbose) when it has one.
    CodablePartition codable(bool verbose) const;

protected:
    PartitionMapEntryRepresentable() = default;
    PartitionMapEntryRepresentable(const PartitionMapEntryRepresentable&) = default;
    PartitionMapEntryRepresentable& operator=(const PartitionMapEntryRepresentable&) = default;
};

}  // namespace zorv
