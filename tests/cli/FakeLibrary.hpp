#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/LibraryServices.hpp"
#include "cli/ZORV.hpp"
#include "disk_image/model/FakeVolume.hpp"
#include "disk_image/parser/ReportFakes.hpp"

namespace zorv::testing {

// Stand-ins for the library functions the commands call, recording each
// call. Each answer is set by the test before running a command.
struct FakeLibrary {
    cli::AnalysisReport analysis;
    // What detection finds in any input.
    cli::DetectedImage detected;
    // The position of the device's first Lido partition.
    std::optional<int64_t> lidoPartition;

    struct AnalysisCall {
        std::string path;
        size_t byteCount;
        bool verbose;
        cli::ReportForm form;
    };
    std::vector<AnalysisCall> analysisCalls;
    std::vector<std::string> detectedPaths;
    std::vector<std::pair<std::string, int64_t>> createdDevices;  // path, size in MB
    // The output path, and the volume or device the conversion was handed.
    std::vector<std::pair<std::string, const VolumeRepresentable*>> volumesToDevices;
    std::vector<std::pair<int64_t, std::string>> extractedVolumes;      // interesting index, volume path
    std::vector<std::pair<int64_t, std::string>> lidoReplacements;      // Lido partition, output path
    std::vector<const DeviceRepresentable*> devicesConverted;

    cli::LibraryServices services() {
        cli::LibraryServices services;
        services.analyzeImage = [this](const ImageBytes& bytes, const URL& url, bool verbose, cli::ReportForm form) {
            analysisCalls.push_back({url.path(), bytes.size(), verbose, form});
            return analysis;
        };
        services.detectImage = [this](const ImageBytes& bytes, const URL& url) {
            detectedPaths.push_back(url.path());
            cli::DetectedImage image = detected;
            image.bytes = bytes;
            return image;
        };
        services.createMacintoshDevice = [this](const URL& url, int64_t sizeInMB) {
            createdDevices.emplace_back(url.path(), sizeInMB);
        };
        services.convertVolumeToDevice = [this](const cli::DetectedImage& image, const URL& device) {
            volumesToDevices.emplace_back(device.path(), image.volume.get());
        };
        services.writeVolumeOfPartition = [this](const cli::DetectedImage& image, int64_t index, const URL& volume) {
            extractedVolumes.emplace_back(index, volume.path());
            devicesConverted.push_back(image.device.get());
        };
        services.lidoPartition = [this](const DeviceRepresentable&) { return lidoPartition; };
        services.replaceLidoDriver = [this](const cli::DetectedImage& image, int64_t lido, const URL& output) {
            lidoReplacements.emplace_back(lido, output.path());
            devicesConverted.push_back(image.device.get());
        };
        return services;
    }
};

// A partition as the convert commands list it; an interesting one holds a
// volume.
inline std::shared_ptr<const PartitionMapEntryRepresentable> partition(std::string typeLabel, std::string name,
                                                                       int64_t start, int64_t size,
                                                                       bool interesting) {
    return std::make_shared<FakePartition>(std::move(typeLabel), std::move(name), start, size,
                                           interesting ? std::make_shared<FakeVolume>() : nullptr);
}

// A detected image of that format, holding nothing.
inline cli::DetectedImage detectedImage(ImageFormat format) {
    cli::DetectedImage image;
    image.format = format;
    return image;
}

// A Macintosh device with the map, a driver and the given further partitions.
inline cli::DetectedImage macintoshDevice(std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> volumes) {
    auto device = std::make_shared<FakeDevice>();
    device->partitions.push_back(partition("Partition Map", "Apple", 1, 63, false));
    device->partitions.push_back(partition("Driver for SCSI Manager", "Apple HD SC 7.3.5", 64, 32, false));
    for (auto& volume : volumes) device->partitions.push_back(std::move(volume));
    cli::DetectedImage image = detectedImage(ImageFormat::macintoshDevice);
    image.device = std::move(device);
    return image;
}

// A bare volume of that format.
inline cli::DetectedImage volumeImage(ImageFormat format = ImageFormat::hfs) {
    cli::DetectedImage image = detectedImage(format);
    image.volume = std::make_shared<FakeVolume>();
    return image;
}

// What one in-process run of the command line printed and returned.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs the command line in-process with the fake library functions.
inline Outcome runWith(FakeLibrary& fake, const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const cli::LibraryServices services = fake.services();
    const int status = cli::runZORV(arguments, out, err, services);
    return {status, out.str(), err.str()};
}

inline std::string fileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace zorv::testing
