#include "disk_image/parser/VolumeFileLoader.hpp"

#include <memory>
#include <string>

#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptorError.hpp"
#include "platform/FileSystem.hpp"

namespace zorv {

std::vector<VolumeDescriptor> VolumeFileLoader::loadParseableFile(const URL& url) {
    const ImageBytes bytes = fs::readWholeFile(url);
    return descriptorsOf(ImageParser(bytes, URL::fileURLWithPath("")));
}

std::vector<VolumeDescriptor> VolumeFileLoader::descriptorsOf(const ImageParser& parser) {
    if (const auto device = std::dynamic_pointer_cast<const MacintoshDevice>(parser.device())) {
        std::vector<VolumeDescriptor> descriptors;
        for (const auto& [start, descriptor] : device->volumeDescriptors) descriptors.push_back(descriptor);
        return descriptors;
    }
    const auto volume = parser.volume();
    if (const auto hfs = std::dynamic_pointer_cast<const HFSVolume>(volume)) {
        const auto& mdb = hfs->masterDirectoryBlock();
        // HFS addresses whole blocks: a partial one after the last (a
        // download's trailer, padding) is no part of the volume.
        const auto size = static_cast<int64_t>(hfs->structureData.size());
        const ImageBytes wholeBlocks = hfs->structureData.slice(0, size - size % VolumeDescriptor::defaultBlockSize);
        return {VolumeDescriptor::fromExistingData(mdb ? mdb->drVN : std::string("<Not Initialized>"), 0,
                                                   wholeBlocks, VolumeType::hfs)};
    }
    if (const auto proDOS = std::dynamic_pointer_cast<const ProDOSVolume>(volume)) {
        return {VolumeDescriptor::fromExistingData(proDOS->volumeDirectoryHeader().name, 0,
                                                   proDOS->dataInProDOSBlockOrder(), VolumeType::proDOS)};
    }
    throw VolumeDescriptorError(VolumeDescriptorError::Case::unuseableVolumeType,
                                helpfulDescription(parser.imageFormat()));
}

}  // namespace zorv
