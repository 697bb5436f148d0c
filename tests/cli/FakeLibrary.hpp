#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/LibraryServices.hpp"
#include "cli/ZORV.hpp"

namespace zorv::testing {

// Stand-ins for the library functions the commands call, recording each
// call. Each answer is set by the test before running a command.
struct FakeLibrary {
    cli::AnalysisReport analysis;
    cli::ImageSummary summary;
    bool deviceStillThere = true;

    struct AnalysisCall {
        std::string path;
        size_t byteCount;
        bool verbose;
        cli::ReportForm form;
    };
    std::vector<AnalysisCall> analysisCalls;
    std::vector<std::string> detectedPaths;
    std::vector<std::pair<std::string, int64_t>> createdDevices;        // path, size in MB
    std::vector<std::pair<std::string, std::string>> volumesToDevices;  // device path, volume path
    std::vector<std::pair<int64_t, std::string>> extractedVolumes;      // interesting index, volume path
    std::vector<std::pair<std::string, std::string>> lidoReplacements;  // device path, output path

    cli::LibraryServices services() {
        cli::LibraryServices services;
        services.analyzeImage = [this](const ImageBytes& bytes, const URL& url, bool verbose, cli::ReportForm form) {
            analysisCalls.push_back({url.path(), bytes.size(), verbose, form});
            return analysis;
        };
        services.detectImage = [this](const ImageBytes&, const URL& url) {
            detectedPaths.push_back(url.path());
            return summary;
        };
        services.createMacintoshDevice = [this](const URL& url, int64_t sizeInMB) {
            createdDevices.emplace_back(url.path(), sizeInMB);
        };
        services.convertVolumeToDevice = [this](const URL& device, const URL& volume) {
            volumesToDevices.emplace_back(device.path(), volume.path());
        };
        services.writeVolumeOfPartition = [this](const ImageBytes&, const URL&, int64_t index, const URL& volume) {
            if (!deviceStillThere) return false;
            extractedVolumes.emplace_back(index, volume.path());
            return true;
        };
        services.replaceLidoDriver = [this](const ImageBytes&, const URL& device, const URL& output) {
            if (!deviceStillThere) return false;
            lidoReplacements.emplace_back(device.path(), output.path());
            return true;
        };
        return services;
    }
};

inline cli::PartitionSummary partitionSummary(std::string typeLabel, std::string name, int64_t start, int64_t size,
                                              bool interesting, bool lido = false) {
    return {std::move(typeLabel), std::move(name), start, size, interesting, lido};
}

// A Macintosh device with the map, a driver and the given further partitions.
inline cli::ImageSummary macintoshDevice(std::vector<cli::PartitionSummary> volumes, bool lidoDriver = false) {
    cli::ImageSummary summary;
    summary.formatName = "Macintosh Device";
    summary.computerClass = "Macintosh";
    summary.holdsDevice = true;
    summary.holdsMacintoshDevice = true;
    summary.partitions.push_back(partitionSummary("Partition Map", "Apple", 1, 63, false));
    summary.partitions.push_back(partitionSummary("Driver for SCSI Manager", lidoDriver ? "Lido" : "Apple HD SC 7.3.5",
                                                  64, 32, false, lidoDriver));
    for (auto& volume : volumes) summary.partitions.push_back(std::move(volume));
    return summary;
}

inline cli::ImageSummary hfsVolume() {
    cli::ImageSummary summary;
    summary.formatName = "HFS";
    summary.computerClass = "Macintosh";
    summary.holdsVolume = true;
    return summary;
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
