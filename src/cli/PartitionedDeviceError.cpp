#include "cli/PartitionedDeviceError.hpp"

namespace zorv::cli {

PartitionedDeviceError::PartitionedDeviceError(const std::string& message) : std::runtime_error(message) {}

}  // namespace zorv::cli
