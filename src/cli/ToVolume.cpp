#include "cli/ToVolume.hpp"

#include <ostream>

#include "cli/Arguments.hpp"
#include "cli/ZORVError.hpp"
#include "data_access/TextEncoding.hpp"

namespace zorv::cli {
namespace {

std::string partitionDescription(const PartitionSummary& partition) {
    return printableText(partition.typeLabel) + " (" + printableText(partition.name) + "), Start: " + std::to_string(partition.startBlock) +
           ", Length: " + std::to_string(partition.sizeInBlocks);
}

}  // namespace

CommandConfiguration ToVolume::configuration() const {
    return {"ToVolume",
            "Converts a device image (containing a partition map and a SCSI driver) into a volume image. If "
            "several partitions can be converted, you'll need to specify which. Otherwise, the main HFS partition "
            "will be extracted."};
}

void ToVolume::declareArguments(Arguments& arguments) {
    convertOptions.declareArguments(arguments);
    arguments.option("partition", {"-p"}, "Number of the partition to convert.", partition);
}

std::string ToVolume::partitionList(const std::vector<PartitionSummary>& convertible) {
    std::string list = "Convertible Partitions:\n";
    for (size_t index = 0; index < convertible.size(); ++index) {
        list += std::to_string(index + 1) + ":\t" + partitionDescription(convertible[index]) + "\n";
    }
    return list;
}

void ToVolume::validate(std::ostream& out) {
    const ImageBytes bytes = convertOptions.readInput();
    const ImageSummary summary = library_.detectImage(bytes, convertOptions.inputURL());
    out << imageTypeLine(summary) << '\n';
    if (summary.formatName != "Macintosh Device") throw ValidationError("Non convertible image type.");
    if (!summary.holdsDevice) throw ValidationError("Not a device image.");

    std::vector<PartitionSummary> convertible;
    for (const auto& entry : summary.partitions) {
        if (entry.isInteresting) convertible.push_back(entry);
    }
    const auto count = static_cast<int64_t>(convertible.size());
    if (partition) {
        if (*partition < 1 || *partition > count) {
            throw ValidationError("Invalid partition number.\n" + partitionList(convertible));
        }
        return;
    }
    if (count > 1) {
        throw ValidationError("Unspecified partition to convert. Please specify one.\n" + partitionList(convertible));
    }
    if (count == 0) throw ValidationError("No convertible partition in device.");
    partition = 1;
    out << "Selecting partition 1: " << partitionDescription(convertible.front()) << '\n';
}

void ToVolume::run(std::ostream&) {
    const ImageBytes bytes = convertOptions.readInput();
    // Validation has settled the number.
    const int64_t interestingPartitionIndex = partition.value() - 1;
    if (!library_.writeVolumeOfPartition(bytes, convertOptions.inputURL(), interestingPartitionIndex,
                                         convertOptions.outputURL())) {
        throw ZORVError(ZORVError::Case::inputChangedSinceValidation);
    }
}

}  // namespace zorv::cli
