#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "disk_image/parser/ImageFormat.hpp"
#include "platform/URL.hpp"

namespace zorv::cli {

// What a convert command found in its input: read and detected once, in
// validation, then handed to the conversion by the run step.
struct DetectedImage {
    ImageFormat format = ImageFormat::emptyVolume;
    // The volume of a bare volume image (a container's contents unwrapped),
    // or null.
    std::shared_ptr<const VolumeRepresentable> volume;
    // The device of a partitioned device image, or null.
    std::shared_ptr<const DeviceRepresentable> device;
    // The input's bytes, which the volume and the device share.
    ImageBytes bytes;
};

enum class ReportForm { text, json };

// What `analyze` prints or writes.
struct AnalysisReport {
    // Set for an image whose format is "Empty Volume": the format's helpful
    // description, printed instead of any report.
    std::optional<std::string> emptyVolumeDescription;
    // The text report, or the pretty-printed JSON document, made whole.
    std::string report;
    // Set instead of `report` for a document written as it is produced (the
    // JSON report: a volume's items are not kept to be written later).
    std::function<void(std::ostream&)> writeReport;

    // Writes the report (no line feed after it).
    void write(std::ostream& out) const {
        if (writeReport) {
            writeReport(out);
        } else {
            out << report;
        }
    }
};

// Where the commands call into the image library, one function per use. The
// commands take them from this value, so that tests can put stand-ins in.
struct LibraryServices {
    std::function<AnalysisReport(const ImageBytes& bytes, const URL& fileURL, bool verbose, ReportForm form)>
        analyzeImage;
    std::function<DetectedImage(const ImageBytes& bytes, const URL& fileURL)> detectImage;
    std::function<void(const URL& fileURL, int64_t sizeInMB)> createMacintoshDevice;
    std::function<void(const DetectedImage& volumeImage, const URL& deviceURL)> convertVolumeToDevice;
    std::function<void(const DetectedImage& deviceImage, int64_t interestingPartitionIndex, const URL& volumeURL)>
        writeVolumeOfPartition;
    std::function<std::optional<int64_t>(const DeviceRepresentable& device)> lidoPartition;
    std::function<void(const DetectedImage& deviceImage, int64_t lidoPartition, const URL& outputURL)>
        replaceLidoDriver;

    // The library's own functions, below.
    static const LibraryServices& standard();
};

// analyze: detects the image (ImageParser(bytes, fileURL)). For the format
// "Empty Volume" returns its helpfulDescription alone; otherwise the text
// report (textualDescription(verbose)) or the codable result
// (codableResult(verbose)) encoded as pretty-printed JSON, keys unsorted.
// Detection errors pass unchanged.
AnalysisReport analyzeImage(const ImageBytes& bytes, const URL& fileURL, bool verbose, ReportForm form);

// convert (all three, validation): detects the image (ImageParser(bytes,
// fileURL)) and keeps what it found: its imageFormat, its volume, its device
// and the bytes. Detection errors pass unchanged.
DetectedImage detectImage(const ImageBytes& bytes, const URL& fileURL);

// create mac-device: MacintoshImageCreator(fileURL, capacityInMB: sizeInMB);
// one VolumeDescriptor(name "MacOS", startBlock 0, sizeInBlocks sizeInMB *
// 2048, type hfs); the physical file grown by 96 blocks; partition(volumes,
// scsiDriver: appleHDSC735); generateFile(overwrite: true). The size has
// been checked by validation.
void createMacintoshDevice(const URL& fileURL, int64_t sizeInMB);

// convert to-device: MacintoshImageCreator::createFromVolume(deviceURL, the
// volume found), which writes the device image (HFS, or ProDOS), replacing a
// file already there. An image without a volume is noValidVolume.
void convertVolumeToDevice(const DetectedImage& volumeImage, const URL& deviceURL);

// convert to-volume: writes the volume of the device's interesting partition
// at that index with MacintoshImageCreator::createFromInterestingPartition.
// An image without a device is noValidDevice; errors pass unchanged.
void writeVolumeOfPartition(const DetectedImage& deviceImage, int64_t interestingPartitionIndex,
                            const URL& volumeURL);

// convert replace-lido: MacintoshImageCreator::lidoPartition, the position
// among all devicePartitions of the first partition that holds the Lido
// driver.
std::optional<int64_t> lidoPartition(const DeviceRepresentable& device);

// convert replace-lido: MacintoshImageCreator::replaceLido(outputURL,
// lidoPartition, the device). An image without a device is noValidDevice;
// errors pass unchanged.
void replaceLidoDriver(const DetectedImage& deviceImage, int64_t lidoPartition, const URL& outputURL);

}  // namespace zorv::cli
