#pragma once

#include <cstdint>
#include <memory>

#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "disk_image/parser/CodableResult.hpp"
#include "disk_image/parser/ImageFormat.hpp"

namespace zorv {

// What the analysis reports are made of: the detected format, the size of
// the image (of a container's contents), and the device or the volume found.
// ImageParser hands one out; the reports read nothing else, and nothing of
// any format but through the image model's interfaces.
struct ImageAnalysis {
    ImageFormat format = ImageFormat::emptyVolume;
    int64_t imageSizeInBytes = 0;
    std::shared_ptr<const DeviceRepresentable> device;
    std::shared_ptr<const VolumeRepresentable> volume;

    // imageSizeInBytes in whole blocks of the format; 0 for a format whose
    // block size is 0 ("Empty Volume").
    int64_t sizeInBlocks() const;

    // The record of the JSON report. `verbose` adds the file hierarchy of the
    // volume and, for a device, each partition's volume with its hierarchy.
    CodableResult codableResult(bool verbose) const;
};

}  // namespace zorv
