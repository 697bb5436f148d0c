#include "cli/ToDevice.hpp"

#include <ostream>

#include "cli/ImageSizeChecks.hpp"

namespace zorv::cli {

CommandConfiguration ToDevice::configuration() const {
    return {"ToDevice",
            "Converts an HFS or ProDOS volume image into a device image containing a partition map and a SCSI "
            "driver. This is what you need for BlueSCSI and PiSCSI."};
}

void ToDevice::declareArguments(Arguments& arguments) { convertOptions.declareArguments(arguments); }

void ToDevice::validate(std::ostream& out) {
    convertOptions.refuseOutputOverInput();
    input_ = library_.detectImage(convertOptions.readInput(), convertOptions.inputURL());
    // Printed before the checks: a refused input still shows its type.
    out << imageTypeLine(input_->format) << '\n';
    // The two kinds of volume a device partition takes by conversion.
    if (input_->format != ImageFormat::hfs && input_->format != ImageFormat::prodos) {
        throw ValidationError("Non convertible image type.");
    }
    if (!input_->volume) throw ValidationError("Not a volume image.");
    if (auto failure = image_size::volumeToDeviceFailure(static_cast<int64_t>(input_->bytes.size()))) {
        throw ValidationError(*failure);
    }
}

void ToDevice::run(std::ostream&) {
    // The volume validation found; an existing output file is replaced.
    library_.convertVolumeToDevice(input_.value(), convertOptions.outputURL());
}

}  // namespace zorv::cli
