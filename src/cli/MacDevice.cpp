#include "cli/MacDevice.hpp"

#include "cli/Arguments.hpp"
#include "cli/ImageSizeChecks.hpp"
#include "platform/URL.hpp"

namespace zorv::cli {

CommandConfiguration MacDevice::configuration() const {
    return {"MacDevice",
            "Creates a simple Macintosh device image containing a partition map, a SCSI driver and a "
            "ready-to-be-formatted HFS partition."};
}

void MacDevice::declareArguments(Arguments& arguments) {
    createOptions.declareArguments(arguments);
    arguments.option("scsiID", {"-s"}, "SCSI ID to assign to the device image", scsiID);
}

void MacDevice::validate(std::ostream&) {
    if (!createOptions.sizeInMB) {
        throw ValidationError("You must specify a capacity for your image using -sM for a size in megabytes");
    }
    if (scsiID < 0 || scsiID > 7) throw ValidationError("A valid SCSI ID is an integer betweem 0 and 7.");
    if (auto failure = image_size::macDeviceFailure(*createOptions.sizeInMB)) throw ValidationError(*failure);
}

void MacDevice::run(std::ostream&) {
    const int64_t sizeInMB = *createOptions.sizeInMB;
    const URL fileURL = URL::fileURLWithPath(createOptions.outputFile.value_or(defaultFileName(scsiID, sizeInMB)));
    library_.createMacintoshDevice(fileURL, sizeInMB);
}

std::string MacDevice::defaultFileName(int64_t scsiID, int64_t sizeInMB) {
    return "HD" + std::to_string(scsiID) + "0_512 " + std::to_string(sizeInMB) + "MB.hda";
}

}  // namespace zorv::cli
