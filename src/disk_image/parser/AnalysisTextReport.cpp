#include "disk_image/parser/AnalysisTextReport.hpp"

#include "data_access/TextEncoding.hpp"
#include "platform/ShortDateTimeFormatter.hpp"

namespace zorv {
namespace {

// "80 tracks", "1 side", "0 sector".
std::string counted(int64_t count, const char* word) {
    return std::to_string(count) + " " + word + (count > 1 ? "s" : "");
}

// Lines are joined by a line feed, with none after the last; the report's
// first line is never empty.
void addLine(std::string& text, std::string_view line) {
    if (!text.empty()) text += '\n';
    text += line;
}

}  // namespace

std::string AnalysisTextReport::text(const ImageAnalysis& analysis, bool verbose) {
    const ImageFormat format = analysis.format;
    const auto& volume = analysis.volume;
    const auto& device = analysis.device;

    std::string text;
    addLine(text, std::string(rawValue(format)) + " (" + std::string(computerClass(format)) + ")");
    if (volume) {
        if (const auto wrapper = volume->wrapper()) addLine(text, wrapper->descriptiveName() + " wrapper");
    }
    addLine(text, "Block size: " + std::to_string(blockSize(format)));
    addLine(text, "Size in blocks: " + std::to_string(analysis.sizeInBlocks()) + " (" +
                      std::to_string(analysis.imageSizeInBytes) + " bytes)");

    if (device) {
        addLine(text, "Partitions:");
        int64_t number = 0;
        for (const auto& partition : device->devicePartitions()) {
            if (!partition) continue;
            ++number;
            addLine(text, std::to_string(number) + ":\t" + printableText(partition->partitionTypeLabel()) + " (" +
                              printableText(partition->partitionName()) +
                              "), Start: " + std::to_string(partition->startPhysicalBlock()) +
                              ", Length: " + std::to_string(partition->sizeInPhysicalBlocks()));
            if (verbose) {
                if (const auto partitionVolume = partition->associatedVolume()) {
                    appendVolumeLines(text, *partitionVolume, true);
                }
            }
        }
        if (const PhysicalDiskRepresentable* disk = device->physicalDisk()) addLine(text, geometryLine(*disk));
    }
    if (volume) appendVolumeLines(text, *volume, verbose);
    return text;
}

void AnalysisTextReport::appendVolumeLines(std::string& text, const VolumeRepresentable& volume, bool verbose) {
    const std::string name = printableText(volume.volumeName());
    addLine(text, "Volume: \"" + name + "\"" + (volume.isBootable() ? " (bootable)" : "") + ", " +
                      std::to_string(volume.freeCapacityInBytes()) + " bytes free out of " +
                      std::to_string(volume.totalCapacityInBytes()));
    if (const auto created = volume.creationDate()) {
        addLine(text, "Creation date: " + ShortDateTimeFormatter::string(*created));
    }
    if (const auto modified = volume.modificationDate()) {
        addLine(text, "Last modified: " + ShortDateTimeFormatter::string(*modified));
    }
    if (const PhysicalDiskRepresentable* disk = volume.physicalDisk()) addLine(text, geometryLine(*disk));
    if (verbose) {
        addLine(text, "File Hierarchy of volume \"" + name + "\":");
        // Each line is added as the walk meets its item; no item is kept.
        volume.walkFileHierarchy([&](const FileHierarchyElement& element) {
            text += '\n';
            appendHierarchyLine(text, element);
        });
    }
}

std::string AnalysisTextReport::geometryLine(const PhysicalDiskRepresentable& disk) {
    return "Geometry: " + counted(disk.trackCount(), "track") + ", " + counted(disk.sideCount(), "side") + ", " +
           counted(disk.sectorCount(), "sector");
}

std::string AnalysisTextReport::hierarchyLine(const FileHierarchyElement& element) {
    std::string line;
    appendHierarchyLine(line, element);
    return line;
}

void AnalysisTextReport::appendHierarchyLine(std::string& text, const FileHierarchyElement& element) {
    if (element.level > 0) {
        text += '|';
        text.append(static_cast<size_t>(element.level), '_');
    }
    const bool folder = element.item && element.item->isFolder();
    if (folder) text += '[';
    if (element.item) appendPrintableText(text, element.item->name());
    if (folder) text += ']';
}

}  // namespace zorv
