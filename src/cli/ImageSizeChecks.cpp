#include "cli/ImageSizeChecks.hpp"

#include <limits>

#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"

namespace zorv::cli::image_size {
namespace {

constexpr int64_t maximumImageMegabytes = std::numeric_limits<int64_t>::max() / bytesPerMegabyte;
constexpr int64_t minimumDeviceMegabytes =
    (MasterDirectoryBlock::minimumBlankVolumeBlocks + blocksPerMegabyte - 1) / blocksPerMegabyte;
constexpr int64_t maximumDeviceMegabytes = MasterDirectoryBlock::maximumBlankVolumeBlocks / blocksPerMegabyte;

}  // namespace

std::string deviceTooLargeMessage() {
    return "The device image would hold more than " + std::to_string(maximumDeviceBlocks) +
           " blocks, the most a device image can hold.";
}

std::optional<std::string> emptyImageFailure(std::optional<int64_t> sizeInBytes, std::optional<int64_t> sizeInMB) {
    if (sizeInBytes) {
        if (*sizeInBytes < 0) return "The size in bytes (-sB) cannot be negative.";
        return std::nullopt;
    }
    if (sizeInMB) {
        if (*sizeInMB < 0) return "The size in megabytes (-sM) cannot be negative.";
        if (*sizeInMB > maximumImageMegabytes) {
            return "The size in megabytes (-sM) is too large: an image holds at most " +
                   std::to_string(maximumImageMegabytes) + " megabytes.";
        }
    }
    return std::nullopt;
}

std::optional<std::string> macDeviceFailure(int64_t sizeInMB) {
    if (sizeInMB < minimumDeviceMegabytes) {
        return "The size in megabytes (-sM) must be at least " + std::to_string(minimumDeviceMegabytes) +
               ": a blank HFS volume needs at least " +
               std::to_string(MasterDirectoryBlock::minimumBlankVolumeBlocks) + " blocks.";
    }
    if (sizeInMB > maximumDeviceMegabytes) {
        return "The size in megabytes (-sM) must be at most " + std::to_string(maximumDeviceMegabytes) +
               ": a blank HFS volume holds at most " +
               std::to_string(MasterDirectoryBlock::maximumBlankVolumeBlocks) + " blocks.";
    }
    // Within the HFS bounds the product cannot overflow.
    if (deviceHeadBlocks + sizeInMB * blocksPerMegabyte > maximumDeviceBlocks) return deviceTooLargeMessage();
    return std::nullopt;
}

std::optional<std::string> volumeToDeviceFailure(int64_t volumeSizeInBytes) {
    if (volumeSizeInBytes / blockSize > maximumDeviceBlocks - convertedDeviceExtraBlocks) return deviceTooLargeMessage();
    return std::nullopt;
}

}  // namespace zorv::cli::image_size
