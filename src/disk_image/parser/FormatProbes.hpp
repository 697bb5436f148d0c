#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/models/Model.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "disk_image/parser/ImageFormat.hpp"
#include "platform/URL.hpp"

namespace zorv {

// The one place where format detection meets the formats: a probe per
// format, each asking that format's own reader about an image's bytes.
// ImageParser calls them in its fixed order; adding a format means filling
// in its probe here, nowhere else.
//
// A probe answers nothing when the bytes are not of its format, and catches
// whatever its reader throws while deciding that. What a probe does throw
// ends detection: the errors of unpacking a container whose signature
// matched, and of taking the HFS+ volume out of an HFS wrapper.
struct FormatProbes {
    // A volume a probe opened, and the format to report it as.
    struct ProbedVolume {
        ImageFormat format;
        std::shared_ptr<VolumeRepresentable> volume;
    };
    // What a container holds, and the wrapper its volume is to name.
    struct UnwrappedImage {
        ImageBytes contents;
        std::shared_ptr<const ImageWrapperRepresentable> wrapper;
    };

    // Devices.
    static std::shared_ptr<const DeviceRepresentable> probeMacintoshDevice(const ImageBytes& image);
    static std::shared_ptr<const DeviceRepresentable> probeAmigaHardDisk(const ImageBytes& image);

    // Containers. Each is always smaller than the image it came out of, but
    // for MSA, whose contents are decompressed.
    static std::optional<UnwrappedImage> unwrap2IMG(const ImageBytes& image);
    static std::optional<UnwrappedImage> unwrapDiskCopy42(const ImageBytes& image);
    static std::optional<UnwrappedImage> unwrapMSA(const ImageBytes& image);
    // An NDIF image, recognised by the host file's type and creator codes
    // (NDIF::isPossiblyNDIF) and refused.
    static bool isNDIF(const URL& file, const ImageBytes& image);

    // Volumes.
    static std::optional<ProbedVolume> probeMFS(const ImageBytes& image);
    // An HFS volume, or, when its master directory block announces an
    // embedded HFS+ volume, that volume as hfsPlus (its extraction errors
    // propagate: there is no falling back to the HFS wrapper).
    static std::optional<ProbedVolume> probeHFS(const ImageBytes& image);
    static std::optional<ProbedVolume> probeHFSPlus(const ImageBytes& image);
    static std::optional<ProbedVolume> probeProDOS(const ImageBytes& image);
    static std::optional<ProbedVolume> probeDOS33(const ImageBytes& image);
    static std::optional<ProbedVolume> probeADF(const ImageBytes& image);
    static std::optional<ProbedVolume> probeTOS(const ImageBytes& image);

    // The catalog models whose ROM checksum is the image's first long.
    static std::optional<std::vector<Model>> probeMacintoshROM(const ImageBytes& image);

    // Whether the bytes hold a volume that volume descriptors of type HFS or
    // HFS+ would open: the NDIF test leaves such files alone.
    static bool holdsReadableHFSVolume(const ImageBytes& image);
};

}  // namespace zorv
