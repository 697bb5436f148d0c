#pragma once

#include <stdexcept>
#include <string>

namespace zorv::cli {

// A partitioned device that cannot be built from what its layout names,
// found while its volumes are gathered, so before anything is written: a
// premade volume that does not open as the volume it is placed as, or
// volumes that add up to more than a device image holds. Printed as "Error: "
// and the message, status 1.
class PartitionedDeviceError : public std::runtime_error {
public:
    explicit PartitionedDeviceError(const std::string& message);
};

}  // namespace zorv::cli
