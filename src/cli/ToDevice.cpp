#include "cli/ToDevice.hpp"

#include <ostream>

#include "cli/ImageSizeChecks.hpp"

namespace zorv::cli {

CommandConfiguration ToDevice::configuration() const {
    return {"ToDevice",
            "Converts an HFS volume image into a device image containing a partition map and a SCSI driver. This "
            "is what you need for BlueSCSI and PiSCSI."};
}

void ToDevice::declareArguments(Arguments& arguments) { convertOptions.declareArguments(arguments); }

void ToDevice::validate(std::ostream& out) {
    const ImageBytes bytes = convertOptions.readInput();
    const ImageSummary summary = library_.detectImage(bytes, convertOptions.inputURL());
    // Printed before the checks: a refused input still shows its type.
    out << imageTypeLine(summary) << '\n';
    // The two kinds of volume a device partition takes by conversion.
    if (summary.formatName != "HFS" && summary.formatName != "ProDOS") {
        throw ValidationError("Non convertible image type.");
    }
    if (!summary.holdsVolume) throw ValidationError("Not a volume image.");
    if (auto failure = image_size::volumeToDeviceFailure(static_cast<int64_t>(bytes.size()))) {
        throw ValidationError(*failure);
    }
}

void ToDevice::run(std::ostream&) {
    // The builder reads the volume again; an existing output file is replaced.
    library_.convertVolumeToDevice(convertOptions.outputURL(), convertOptions.inputURL());
}

}  // namespace zorv::cli
