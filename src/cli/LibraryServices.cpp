#include "cli/LibraryServices.hpp"

#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/device/partition_map/PartitionMapEntry.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"
#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/ImageParser.hpp"

namespace zorv::cli {

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

namespace {

// The name of the one volume of `create mac-device` in the partition map.
constexpr const char* macDeviceVolumeName = "MacOS";

const MacintoshDevice* macintoshDevice(const ImageParser& parser) {
    return dynamic_cast<const MacintoshDevice*>(parser.device().get());
}

bool holdsLidoDriver(const PartitionMapEntryRepresentable& partition) {
    const auto* entry = dynamic_cast<const PartitionMapEntry*>(&partition);
    return entry != nullptr && entry->scsiDriver && *entry->scsiDriver == SCSIDriver::lido();
}

}  // namespace

AnalysisReport analyzeImage(const ImageBytes& bytes, const URL& fileURL, bool verbose, ReportForm form) {
    auto parser = std::make_shared<const ImageParser>(bytes, fileURL);
    AnalysisReport result;
    if (parser->imageFormat() == ImageFormat::emptyVolume) {
        result.emptyVolumeDescription = std::string(helpfulDescription(ImageFormat::emptyVolume));
        return result;
    }
    if (form == ReportForm::json) {
        result.writeReport = [parser, verbose](std::ostream& out) { parser->writeJSONReport(verbose, out); };
    } else {
        result.report = parser->textualDescription(verbose);
    }
    return result;
}

ImageSummary detectImage(const ImageBytes& bytes, const URL& fileURL) {
    const ImageParser parser(bytes, fileURL);
    ImageSummary summary;
    summary.formatName = std::string(rawValue(parser.imageFormat()));
    summary.computerClass = std::string(computerClass(parser.imageFormat()));
    summary.holdsVolume = parser.volume() != nullptr;
    if (const auto device = parser.device()) {
        summary.holdsDevice = true;
        summary.holdsMacintoshDevice = macintoshDevice(parser) != nullptr;
        for (const auto& partition : device->devicePartitions()) {
            summary.partitions.push_back({
                .typeLabel = partition->partitionTypeLabel(),
                .name = partition->partitionName(),
                .startBlock = partition->startPhysicalBlock(),
                .sizeInBlocks = partition->sizeInPhysicalBlocks(),
                .isInteresting = partition->isInteresting(),
                .holdsLidoDriver = holdsLidoDriver(*partition),
            });
        }
    }
    return summary;
}

void createMacintoshDevice(const URL& fileURL, int64_t sizeInMB) {
    auto creator = MacintoshImageCreator::withCapacityInMB(fileURL, sizeInMB);
    const int64_t volumeBlocks = creator.physicalFile.sizeInBytes / creator.physicalFile.blockSize();
    const auto volume = VolumeDescriptor::newBlankVolume(macDeviceVolumeName, 0, volumeBlocks, VolumeType::hfs);
    // Room for the device head in front of the volume.
    creator.addEmptyBlocks(MacintoshImageCreator::deviceHeaderBlockCount);
    creator.partition({volume}, SCSIDriver::appleHDSC735());
    creator.physicalFile.generateFile(true);
}

void convertVolumeToDevice(const URL& deviceURL, const URL& volumeURL) {
    MacintoshImageCreator::createFromVolumeFile(deviceURL, volumeURL);
}

bool writeVolumeOfPartition(const ImageBytes& bytes, const URL& deviceURL, int64_t interestingPartitionIndex,
                            const URL& volumeURL) {
    const ImageParser parser(bytes, deviceURL);
    const MacintoshDevice* device = macintoshDevice(parser);
    if (device == nullptr) return false;
    MacintoshImageCreator::createFromInterestingPartition(volumeURL, interestingPartitionIndex, *device);
    return true;
}

bool replaceLidoDriver(const ImageBytes& bytes, const URL& deviceURL, const URL& outputURL) {
    const ImageParser parser(bytes, deviceURL);
    const MacintoshDevice* device = macintoshDevice(parser);
    if (device == nullptr) return false;
    std::vector<PartitionSummary> partitions;
    for (const auto& partition : device->devicePartitions()) {
        PartitionSummary summary;
        summary.holdsLidoDriver = holdsLidoDriver(*partition);
        partitions.push_back(std::move(summary));
    }
    const auto lidoPartition = firstLidoPartitionIndex(partitions);
    if (!lidoPartition) return false;
    MacintoshImageCreator::replaceLido(outputURL, *lidoPartition, *device);
    return true;
}

std::optional<int64_t> firstLidoPartitionIndex(const std::vector<PartitionSummary>& partitions) {
    for (size_t index = 0; index < partitions.size(); ++index) {
        if (partitions[index].holdsLidoDriver) return static_cast<int64_t>(index);
    }
    return std::nullopt;
}

}  // namespace zorv::cli
