#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "platform/URL.hpp"

namespace zorv::cli {

// One partition of a device, as the convert commands list and pick them.
struct PartitionSummary {
    std::string typeLabel;         // partitionTypeLabel, e.g. "HFS or HFS+ Volume"
    std::string name;              // partitionName
    int64_t startBlock = 0;        // startPhysicalBlock, in the device's own blocks
    int64_t sizeInBlocks = 0;      // sizeInPhysicalBlocks
    bool isInteresting = false;    // holds a volume that can be extracted (HFS, MFS, ProDOS)
    bool holdsLidoDriver = false;  // its recognised SCSI driver is the catalog's Lido driver
};

// What the convert commands check of an image before converting it.
struct ImageSummary {
    std::string formatName;             // the detected format's raw value, e.g. "HFS", "Macintosh Device"
    std::string computerClass;          // e.g. "Macintosh", "Apple II", "Unknown"
    bool holdsVolume = false;           // the detector holds a volume
    bool holdsDevice = false;           // the detector holds a partitioned device
    bool holdsMacintoshDevice = false;  // ... and it is a Macintosh device
    // Every partition of the device, in the device's order (ascending start
    // block, equal starts in map order); empty without a device.
    std::vector<PartitionSummary> partitions;
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
    std::function<ImageSummary(const ImageBytes& bytes, const URL& fileURL)> detectImage;
    std::function<void(const URL& fileURL, int64_t sizeInMB)> createMacintoshDevice;
    std::function<void(const URL& deviceURL, const URL& volumeURL)> convertVolumeToDevice;
    std::function<bool(const ImageBytes& bytes, const URL& deviceURL, int64_t interestingPartitionIndex,
                       const URL& volumeURL)>
        writeVolumeOfPartition;
    std::function<bool(const ImageBytes& bytes, const URL& deviceURL, const URL& outputURL)> replaceLidoDriver;

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
// fileURL)) and describes it: imageFormat's rawValue and computerClass,
// whether it holds a volume, a device, a MacintoshDevice, and the device's
// devicePartitions with, for each, partitionTypeLabel, partitionName,
// startPhysicalBlock, sizeInPhysicalBlocks, isInteresting and whether its
// scsiDriver equals SCSIDriver::lido. Detection errors pass unchanged.
ImageSummary detectImage(const ImageBytes& bytes, const URL& fileURL);

// create mac-device: MacintoshImageCreator(fileURL, capacityInMB: sizeInMB);
// one VolumeDescriptor(name "MacOS", startBlock 0, sizeInBlocks sizeInMB *
// 2048, type hfs); the physical file grown by 96 blocks; partition(volumes,
// scsiDriver: appleHDSC735); generateFile(overwrite: true). The size has
// been checked by validation.
void createMacintoshDevice(const URL& fileURL, int64_t sizeInMB);

// convert to-device: MacintoshImageCreator::createFromVolumeFile(deviceURL,
// volumeURL), which reads the volume again (HFS, or ProDOS) and writes the
// device image, replacing a file already there.
void convertVolumeToDevice(const URL& deviceURL, const URL& volumeURL);

// convert to-volume (run): detects the image again; when it holds a
// MacintoshDevice, writes the volume of its interesting partition at that
// index with MacintoshImageCreator::createFromInterestingPartition(volumeURL,
// ...) and returns true. Returns false when the image no
// longer holds a MacintoshDevice. Errors pass unchanged.
bool writeVolumeOfPartition(const ImageBytes& bytes, const URL& deviceURL, int64_t interestingPartitionIndex,
                            const URL& volumeURL);

// convert replace-lido (run): detects the image again; when it holds a
// MacintoshDevice with a Lido partition, calls
// MacintoshImageCreator::replaceLido(outputURL, the first Lido partition's
// position among all devicePartitions (firstLidoPartitionIndex), the device)
// and returns true. Returns false when there is no MacintoshDevice or no Lido
// partition any more. Errors pass unchanged.
bool replaceLidoDriver(const ImageBytes& bytes, const URL& deviceURL, const URL& outputURL);

// The position, counted from 0 over all partitions, of the first partition
// that holds the Lido driver; nothing when none does.
std::optional<int64_t> firstLidoPartitionIndex(const std::vector<PartitionSummary>& partitions);

}  // namespace zorv::cli
