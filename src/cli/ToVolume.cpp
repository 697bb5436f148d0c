#include "cli/ToVolume.hpp"

#include <ostream>

#include "cli/Arguments.hpp"
#include "data_access/TextEncoding.hpp"

namespace zorv::cli {
namespace {

std::string partitionDescription(const PartitionMapEntryRepresentable& partition) {
    return printableText(partition.partitionTypeLabel()) + " (" + printableText(partition.partitionName()) +
           "), Start: " + std::to_string(partition.startPhysicalBlock()) +
           ", Length: " + std::to_string(partition.sizeInPhysicalBlocks());
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

std::string ToVolume::partitionList(
    const std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>>& convertible) {
    std::string list = "Convertible Partitions:\n";
    for (size_t index = 0; index < convertible.size(); ++index) {
        list += std::to_string(index + 1) + ":\t" + partitionDescription(*convertible[index]) + "\n";
    }
    return list;
}

void ToVolume::validate(std::ostream& out) {
    convertOptions.refuseOutputOverInput();
    input_ = library_.detectImage(convertOptions.readInput(), convertOptions.inputURL());
    out << imageTypeLine(input_->format) << '\n';
    if (input_->format != ImageFormat::macintoshDevice) throw ValidationError("Non convertible image type.");
    if (!input_->device) throw ValidationError("Not a device image.");

    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> convertible;
    for (auto& entry : input_->device->devicePartitions()) {
        if (entry->isInteresting()) convertible.push_back(std::move(entry));
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
    out << "Selecting partition 1: " << partitionDescription(*convertible.front()) << '\n';
}

void ToVolume::run(std::ostream&) {
    // Validation has read the device and settled the number.
    library_.writeVolumeOfPartition(input_.value(), partition.value() - 1, convertOptions.outputURL());
}

}  // namespace zorv::cli
