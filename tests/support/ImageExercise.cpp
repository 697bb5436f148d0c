#include "support/ImageExercise.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/model/PhysicalDiskRepresentable.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"
#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/ImageParser.hpp"

namespace zorv::testing {
namespace {

// Runs one step; the library's own errors end it, anything else passes.
template <typename Step>
void step(Step&& run) {
    try {
        run();
    } catch (...) {
        if (!isOwnError(std::current_exception())) throw;
    }
}

void exerciseDisk(const PhysicalDiskRepresentable& disk, const std::vector<FileHierarchyElement>& hierarchy) {
    step([&] { disk.codable(); });
    step([&] {
        const auto occupied = disk.occupiedSectors();
        if (!occupied.empty()) disk.itemAt(occupied.front().track, occupied.front().sector, occupied.front().side);
        disk.itemAt(0, 0, 0);
        disk.itemAt(disk.trackCount(), disk.sectorCount(), disk.sideCount());
    });
    for (const FileHierarchyElement& element : hierarchy) step([&] { disk.sectorsFor(element.item); });
}

void exerciseVolume(const VolumeRepresentable& volume) {
    // The reports have listed the hierarchy already; the walk is asked again
    // here so that an error in one partition's report does not hide the next.
    std::vector<FileHierarchyElement> hierarchy;
    step([&] { hierarchy = volume.fileHierarchy(); });
    for (const FileHierarchyElement& element : hierarchy) {
        const VolumeItem& item = element.item;
        step([&] {
            item->generateCodableAtLevel(element.level);
            item->fileExtension();
            item->otherInfo();
            item->isInvisible();
            volume.tree(item);
            volume.volumeItem(item);
            volume.parentItem(item);
        });
        step([&] { volume.getFork(ForkType::data, item); });
        step([&] { volume.getFork(ForkType::resource, item); });
    }
    // An index past the root's last child answers nothing.
    step([&] { volume.child(volume.numberOfChildrenOfItem(nullptr), nullptr); });
    if (const PhysicalDiskRepresentable* disk = volume.physicalDisk()) exerciseDisk(*disk, hierarchy);
}

void exerciseDevice(const DeviceRepresentable& device) {
    std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>> partitions;
    step([&] {
        device.firstInterestingPartition();
        partitions = device.devicePartitions();
    });
    for (const auto& partition : partitions) {
        step([&] {
            partition->preferredName();
            partition->partitionData();
            partition->hasWarning();
            partition->codable(true);
        });
    }
    // One index past the last asks for a partition the device does not have.
    for (int64_t index = 0; index <= static_cast<int64_t>(partitions.size()); ++index) {
        step([&] {
            if (const auto volume = device.volumeForPartition(index)) exerciseVolume(*volume);
        });
    }
    if (const PhysicalDiskRepresentable* disk = device.physicalDisk()) exerciseDisk(*disk, {});
}

}  // namespace

bool isOwnError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EnumeratedError&) {
        return true;
    } catch (const ReadPastEndError&) {
        return true;
    } catch (const ArithmeticOverflowError&) {
        return true;
    } catch (const ValueOutOfRangeError&) {
        return true;
    } catch (...) {
        return false;
    }
}

void exerciseImage(const ImageBytes& image) {
    std::optional<ImageParser> parser;
    step([&] { parser.emplace(image); });
    if (!parser || parser->imageFormat() == ImageFormat::emptyVolume) return;
    step([&] { parser->textualDescription(true); });
    step([&] { AnalysisJSONEncoder::encode(parser->codableResult(true)); });
    step([&] { parser->imageSizeInBlocks(); });
    if (const auto volume = parser->volume()) exerciseVolume(*volume);
    if (const auto device = parser->device()) exerciseDevice(*device);
}

}  // namespace zorv::testing
