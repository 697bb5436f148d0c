#include "disk_image/parser/ImageAnalysis.hpp"

#include <utility>
#include <vector>

#include "disk_image/model/PhysicalDiskRepresentable.hpp"

namespace zorv {

int64_t ImageAnalysis::sizeInBlocks() const {
    const int64_t size = blockSize(format);
    return size > 0 ? imageSizeInBytes / size : 0;
}

CodableResult ImageAnalysis::codableResult(bool verbose) const {
    CodableResult result;
    if (device) {
        std::vector<CodablePartition> partitions;
        for (const auto& partition : device->devicePartitions()) {
            if (partition) partitions.push_back(partition->codable(verbose));
        }
        result.partitions = std::move(partitions);
        if (const PhysicalDiskRepresentable* disk = device->physicalDisk()) result.geometry = disk->codable();
    }
    if (volume) {
        result.volume = volume->codable(verbose);
        // The volume's own layout replaces the device's.
        if (const PhysicalDiskRepresentable* disk = volume->physicalDisk()) result.geometry = disk->codable();
        if (const auto wrapper = volume->wrapper()) result.wrapper = wrapper->descriptiveName();
    }
    result.computerClass = computerClass(format);
    result.imageType = rawValue(format);
    result.blockSize = blockSize(format);
    result.sizeInBlocks = sizeInBlocks();
    return result;
}

}  // namespace zorv
