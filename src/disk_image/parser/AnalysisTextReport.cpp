#include "disk_image/parser/AnalysisTextReport.hpp"

#include "data_access/TextEncoding.hpp"
#include "platform/ShortDateTimeFormatter.hpp"

namespace zorv {
namespace {

// "80 tracks", "1 side", "0 sector".
std::string counted(int64_t count, const char* word) {
    return std::to_string(count) + " " + word + (count > 1 ? "s" : "");
}

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t index = 0; index < lines.size(); ++index) {
        if (index > 0) text += '\n';
        text += lines[index];
    }
    return text;
}

void append(std::vector<std::string>& lines, std::vector<std::string> more) {
    lines.insert(lines.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

}  // namespace

std::string AnalysisTextReport::text(const ImageAnalysis& analysis, bool verbose) {
    const ImageFormat format = analysis.format;
    const auto& volume = analysis.volume;
    const auto& device = analysis.device;

    std::vector<std::string> lines;
    lines.push_back(std::string(rawValue(format)) + " (" + std::string(computerClass(format)) + ")");
    if (volume) {
        if (const auto wrapper = volume->wrapper()) lines.push_back(wrapper->descriptiveName() + " wrapper");
    }
    lines.push_back("Block size: " + std::to_string(blockSize(format)));
    lines.push_back("Size in blocks: " + std::to_string(analysis.sizeInBlocks()) + " (" +
                    std::to_string(analysis.imageSizeInBytes) + " bytes)");

    if (device) {
        lines.emplace_back("Partitions:");
        int64_t number = 0;
        for (const auto& partition : device->devicePartitions()) {
            if (!partition) continue;
            ++number;
            lines.push_back(std::to_string(number) + ":\t" + printableText(partition->partitionTypeLabel()) + " (" +
                            printableText(partition->partitionName()) +
                            "), Start: " + std::to_string(partition->startPhysicalBlock()) +
                            ", Length: " + std::to_string(partition->sizeInPhysicalBlocks()));
            if (verbose) {
                if (const auto partitionVolume = partition->associatedVolume()) {
                    append(lines, volumeLines(*partitionVolume, true));
                }
            }
        }
        if (const PhysicalDiskRepresentable* disk = device->physicalDisk()) lines.push_back(geometryLine(*disk));
    }
    if (volume) append(lines, volumeLines(*volume, verbose));
    return joinedLines(lines);
}

std::vector<std::string> AnalysisTextReport::volumeLines(const VolumeRepresentable& volume, bool verbose) {
    std::vector<std::string> lines;
    const std::string name = printableText(volume.volumeName());
    lines.push_back("Volume: \"" + name + "\"" + (volume.isBootable() ? " (bootable)" : "") + ", " +
                    std::to_string(volume.freeCapacityInBytes()) + " bytes free out of " +
                    std::to_string(volume.totalCapacityInBytes()));
    if (const auto created = volume.creationDate()) {
        lines.push_back("Creation date: " + ShortDateTimeFormatter::string(*created));
    }
    if (const auto modified = volume.modificationDate()) {
        lines.push_back("Last modified: " + ShortDateTimeFormatter::string(*modified));
    }
    if (const PhysicalDiskRepresentable* disk = volume.physicalDisk()) lines.push_back(geometryLine(*disk));
    if (verbose) {
        lines.push_back("File Hierarchy of volume \"" + name + "\":");
        for (const FileHierarchyElement& element : volume.fileHierarchy()) lines.push_back(hierarchyLine(element));
    }
    return lines;
}

std::string AnalysisTextReport::geometryLine(const PhysicalDiskRepresentable& disk) {
    return "Geometry: " + counted(disk.trackCount(), "track") + ", " + counted(disk.sideCount(), "side") + ", " +
           counted(disk.sectorCount(), "sector");
}

std::string AnalysisTextReport::hierarchyLine(const FileHierarchyElement& element) {
    std::string line;
    if (element.level > 0) line = "|" + std::string(static_cast<size_t>(element.level), '_');
    const std::string name = element.item ? printableText(element.item->name()) : std::string();
    const bool folder = element.item && element.item->isFolder();
    return line + (folder ? "[" + name + "]" : name);
}

}  // namespace zorv
