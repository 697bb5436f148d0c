#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/model/CodableDiskGeometry.hpp"
#include "disk_image/model/CodablePartition.hpp"
#include "disk_image/model/CodableVolume.hpp"

namespace zorv {

// The top-level object of the JSON report (ImageParser::codableResult).
// Fields are in the order the report writes its keys; an absent optional is
// left out of the object, a present list is written even when empty.
struct CodableResult {
    // "Macintosh", "Apple II", "Amiga", "Atari ST" (rawValue and family of
    // the detected ImageFormat).
    std::string computerClass;
    std::string imageType;
    // The descriptive name of the volume's wrapper ("Disk Copy", "2MG",
    // "MSA"); absent without a volume or a wrapper.
    std::optional<std::string> wrapper;
    int64_t blockSize = 0;
    int64_t sizeInBlocks = 0;
    // Present exactly when the image is a device: one per partition.
    std::optional<std::vector<CodablePartition>> partitions;
    // Present exactly when the image is a bare volume.
    std::optional<CodableVolume> volume;
    // The layout of a device or volume that is laid out in tracks.
    std::optional<CodableDiskGeometry> geometry;

    friend bool operator==(const CodableResult&, const CodableResult&) = default;
};

}  // namespace zorv
