#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorv::cli {

// The sizes the create and convert commands accept, checked in their
// validation steps so that nothing is written for a size the image model
// cannot hold. Each check returns the validation message, or nothing when
// the size passes.
namespace image_size {

constexpr int64_t bytesPerMegabyte = 1'048'576;
constexpr int64_t blockSize = 512;
constexpr int64_t blocksPerMegabyte = bytesPerMegabyte / blockSize;
// The blocks ahead of the volume in a new device image: driver descriptor,
// partition map and driver.
constexpr int64_t deviceHeadBlocks = 96;
// The blocks a volume-to-device conversion adds to the volume's own.
constexpr int64_t convertedDeviceExtraBlocks = 99;
// Block counts of a device (driver descriptor, partition map) are 32-bit.
constexpr int64_t maximumDeviceBlocks = (int64_t{1} << 32) - 1;

// What a device of more than maximumDeviceBlocks blocks is refused with.
std::string deviceTooLargeMessage();

// empty-image: the size in bytes when given, else the size in megabytes
// (the other one is ignored); at least one is given. Size 0 is allowed.
std::optional<std::string> emptyImageFailure(std::optional<int64_t> sizeInBytes, std::optional<int64_t> sizeInMB);

// mac-device: the blank HFS volume of sizeInMB megabytes must lie within
// MasterDirectoryBlock's bounds for a blank volume, and the device, with its
// head, within maximumDeviceBlocks.
std::optional<std::string> macDeviceFailure(int64_t sizeInMB);

// to-device: the device made of a volume image of that many bytes.
std::optional<std::string> volumeToDeviceFailure(int64_t volumeSizeInBytes);

}  // namespace image_size
}  // namespace zorv::cli
