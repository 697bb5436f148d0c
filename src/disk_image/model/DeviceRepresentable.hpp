#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/model/PartitionMapEntryRepresentable.hpp"
#include "disk_image/model/SupportedOS.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

class PhysicalDiskRepresentable;

// A partitioned device (a Macintosh SCSI device image, an Amiga hard disk)
// with its partitions and the volume of each. Each device type is also
// ImageRepresentable (a static fromImageData factory).
class DeviceRepresentable {
public:
    virtual ~DeviceRepresentable() = default;

    // The name of the kind of device, for the report.
    virtual std::string deviceName() const = 0;
    // A second name of the device.
    virtual std::optional<std::string> additionalName() const = 0;
    virtual SupportedOS targetOS() const = 0;
    // The partitions in the order the device presents them.
    virtual std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> devicePartitions() const = 0;
    // The index in devicePartitions() of the first partition whose
    // isInteresting() is true; none when there is no such partition.
    virtual std::optional<int64_t> firstInterestingPartition() const;
    // Bytes per block of the device.
    virtual int64_t physicalBlockSize() const = 0;
    // The volume found in the partition at that index of devicePartitions(),
    // or null (also for an index outside the list).
    virtual std::shared_ptr<const VolumeRepresentable> volumeForPartition(int64_t index) const = 0;

    // The device's track/sector view when it has one, else null. A type
    // deriving from both answers itself.
    virtual const PhysicalDiskRepresentable* physicalDisk() const;

protected:
    DeviceRepresentable() = default;
    DeviceRepresentable(const DeviceRepresentable&) = default;
    DeviceRepresentable& operator=(const DeviceRepresentable&) = default;
};

}  // namespace zorv
