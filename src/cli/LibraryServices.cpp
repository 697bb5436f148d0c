#include "cli/LibraryServices.hpp"

namespace zorv::cli {

NotAvailableYet::NotAvailableYet(const std::string& what) : std::runtime_error(what) {}

const LibraryServices& LibraryServices::standard() {
    static const LibraryServices services{
        .analyzeImage = zorv::cli::analyzeImage,
        .detectImage = zorv::cli::detectImage,
        .createMacintoshDevice = zorv::cli::createMacintoshDevice,
        .convertVolumeToDevice = zorv::cli::convertVolumeToDevice,
        .writeVolumeOfPartition = zorv::cli::writeVolumeOfPartition,
        .replaceLidoDriver = zorv::cli::replaceLidoDriver,
    };
    return services;
}

// The functions below wait for the image parser (ImageParser), the device
// model (MacintoshDevice), the device builder's conversions
// (MacintoshImageCreator) and the volume planner (VolumeDescriptor).

AnalysisReport analyzeImage(const ImageBytes&, const URL&, bool, ReportForm) {
    throw NotAvailableYet("Image analysis is not available yet in this build (it needs the image parser).");
}

ImageSummary detectImage(const ImageBytes&, const URL&) {
    throw NotAvailableYet("Image detection is not available yet in this build (it needs the image parser).");
}

void createMacintoshDevice(const URL&, int64_t) {
    throw NotAvailableYet(
        "Creating a Macintosh device image is not available yet in this build (it needs the device image "
        "builder).");
}

void convertVolumeToDevice(const URL&, const URL&) {
    throw NotAvailableYet(
        "Converting a volume to a device image is not available yet in this build (it needs the device image "
        "builder).");
}

bool writeVolumeOfPartition(const ImageBytes&, const URL&, int64_t, const URL&) {
    throw NotAvailableYet(
        "Extracting a volume from a device image is not available yet in this build (it needs the device "
        "model).");
}

bool replaceLidoDriver(const ImageBytes&, const URL&, const URL&) {
    throw NotAvailableYet(
        "Replacing the Lido driver is not available yet in this build (it needs the device image builder).");
}

std::optional<int64_t> firstLidoPartitionIndex(const std::vector<PartitionSummary>& partitions) {
    for (size_t index = 0; index < partitions.size(); ++index) {
        if (partitions[index].holdsLidoDriver) return static_cast<int64_t>(index);
    }
    return std::nullopt;
}

}  // namespace zorv::cli
