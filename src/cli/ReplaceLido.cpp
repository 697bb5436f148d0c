#include "cli/ReplaceLido.hpp"

namespace zorv::cli {

CommandConfiguration ReplaceLido::configuration() const {
    return {"ReplaceLido",
            "Replaces the Lido SCSI driver in a device image with the HD SC Setup 7.3.5 driver. This driver is "
            "more compatible and offers better performance on modern solutions like BlueSCSI."};
}

void ReplaceLido::declareArguments(Arguments& arguments) { convertOptions.declareArguments(arguments); }

void ReplaceLido::validate(std::ostream&) {
    convertOptions.refuseOutputOverInput();
    input_ = library_.detectImage(convertOptions.readInput(), convertOptions.inputURL());
    if (input_->format != ImageFormat::macintoshDevice) {
        throw ValidationError("Non convertible image type. This subcommand only runs on Macintosh device images.");
    }
    if (!input_->device) throw ValidationError("Not a Macintosh device image.");
    const auto lido = library_.lidoPartition(*input_->device);
    if (!lido) throw ValidationError("No Lido driver found.");
    lidoPartition_ = *lido;
}

void ReplaceLido::run(std::ostream&) {
    // Validation has read the device and found its Lido partition.
    library_.replaceLidoDriver(input_.value(), lidoPartition_, convertOptions.outputURL());
}

}  // namespace zorv::cli
