#include "cli/LibraryServices.hpp"

#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreatorError.hpp"
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
        .lidoPartition = zorv::cli::lidoPartition,
        .replaceLidoDriver = zorv::cli::replaceLidoDriver,
    };
    return services;
}

namespace {

// The name of the one volume of `create mac-device` in the partition map.
constexpr const char* macDeviceVolumeName = "MacOS";

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

DetectedImage detectImage(const ImageBytes& bytes, const URL& fileURL) {
    const ImageParser parser(bytes, fileURL);
    return {parser.imageFormat(), parser.volume(), parser.device(), bytes};
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

void convertVolumeToDevice(const DetectedImage& volumeImage, const URL& deviceURL) {
    if (!volumeImage.volume) throw MacintoshImageCreatorError(MacintoshImageCreatorError::Case::noValidVolume);
    MacintoshImageCreator::createFromVolume(deviceURL, *volumeImage.volume);
}

void writeVolumeOfPartition(const DetectedImage& deviceImage, int64_t interestingPartitionIndex,
                            const URL& volumeURL) {
    if (!deviceImage.device) throw MacintoshImageCreatorError(MacintoshImageCreatorError::Case::noValidDevice);
    MacintoshImageCreator::createFromInterestingPartition(volumeURL, interestingPartitionIndex, *deviceImage.device);
}

std::optional<int64_t> lidoPartition(const DeviceRepresentable& device) {
    return MacintoshImageCreator::lidoPartition(device);
}

void replaceLidoDriver(const DetectedImage& deviceImage, int64_t lidoPartition, const URL& outputURL) {
    if (!deviceImage.device) throw MacintoshImageCreatorError(MacintoshImageCreatorError::Case::noValidDevice);
    MacintoshImageCreator::replaceLido(outputURL, lidoPartition, *deviceImage.device);
}

}  // namespace zorv::cli
