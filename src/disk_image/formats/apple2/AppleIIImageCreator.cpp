#include "disk_image/formats/apple2/AppleIIImageCreator.hpp"

#include <algorithm>

#include "disk_image/formats/apple2/AppleIIImageCreatorError.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"

namespace zorv {
namespace {

ImageBytes blankImage(int64_t sizeInBytes, AppleIIImageCreator::Mode mode) {
    switch (mode) {
        case AppleIIImageCreator::Mode::DOS33:
            if (sizeInBytes != DOS33Disk::diskSizeInBytes) {
                throw AppleIIImageCreatorError(AppleIIImageCreatorError::Case::unsupportedDOS33Size, sizeInBytes);
            }
            return DOS33Disk::dos33AsData();
        case AppleIIImageCreator::Mode::ProDOS: {
            const int64_t blocks = sizeInBytes / ProDOSDisk::proDOSBlockSize;
            return ProDOSDisk::blankDisk(std::min(blocks, ProDOSDisk::maximumBlankVolumeBlocks)).structureData;
        }
    }
    return {};
}

}  // namespace

AppleIIImageCreator::AppleIIImageCreator(int64_t sizeInBytes, const URL& fileURL, Mode mode)
    : ImageCreatorRepresentable(PhysicalBlockFile(fileURL, sizeInBytes, defaultBlockSize), defaultBlockSize) {
    installBlock(0, blankImage(sizeInBytes, mode));
}

}  // namespace zorv
