#include "cli/ReplaceLido.hpp"

#include "cli/ZORVError.hpp"

namespace zorv::cli {

CommandConfiguration ReplaceLido::configuration() const {
    return {"ReplaceLido",
            "Replaces the Lido SCSI driver in a device image with the HD SC Setup 7.3.5 driver. This driver is "
            "more compatible and offers better performance on modern solutions like BlueSCSI."};
}

void ReplaceLido::declareArguments(Arguments& arguments) { convertOptions.declareArguments(arguments); }

void ReplaceLido::validate(std::ostream&) {
    const ImageBytes bytes = convertOptions.readInput();
    const ImageSummary summary = library_.detectImage(bytes, convertOptions.inputURL());
    if (summary.formatName != "Macintosh Device") {
        throw ValidationError("Non convertible image type. This subcommand only runs on Macintosh device images.");
    }
    if (!summary.holdsDevice || !summary.holdsMacintoshDevice) {
        throw ValidationError("Not a Macintosh device image.");
    }
    if (!firstLidoPartitionIndex(summary.partitions)) throw ValidationError("No Lido driver found.");
}

void ReplaceLido::run(std::ostream&) {
    const ImageBytes bytes = convertOptions.readInput();
    if (!library_.replaceLidoDriver(bytes, convertOptions.inputURL(), convertOptions.outputURL())) {
        throw ZORVError(ZORVError::Case::inputChangedSinceValidation);
    }
}

}  // namespace zorv::cli
