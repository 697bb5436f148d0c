#pragma once

#include <vector>

#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/URL.hpp"

namespace zorv {

// Turns a volume or device image file into the volumes to place in a new
// device image (VolumeDescriptor::loadParseableFile in the design). Only
// three kinds of image qualify: a Macintosh device image (all its volumes),
// an HFS volume and a ProDOS volume, bare or in a container.
struct VolumeFileLoader {
    // Reads the whole file and detects it, with a file URL of an empty path
    // (so the NDIF test, which reads the host file's codes, finds none), then
    // takes its volumes as descriptorsOf() does. Throws the host's read error
    // (std::system_error), the errors of detection, and
    // VolumeDescriptorError::unuseableVolumeType.
    static std::vector<VolumeDescriptor> loadParseableFile(const URL& url);

    // The volumes of a detected image, each starting at block 0:
    // - a Macintosh device: its volume descriptors, in no defined order (an
    //   empty list for a device without volume partitions);
    // - an HFS volume: one `hfs` descriptor named after the master directory
    //   block's drVN ("<Not Initialized>" without one), over the volume's
    //   bytes (the contents of a container, not the container);
    // - a ProDOS volume: one `proDOS` descriptor named after its volume
    //   directory, over its disk's bytes as they are stored.
    // Anything else (HFS+, an HFS volume wrapping HFS+, MFS, DOS 3.3, Atari
    // ST, Amiga, an empty volume, a device inside a container) throws
    // VolumeDescriptorError::unuseableVolumeType with the format's
    // helpfulDescription.
    static std::vector<VolumeDescriptor> descriptorsOf(const ImageParser& parser);
};

}  // namespace zorv
