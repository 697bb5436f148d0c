#include "disk_image/formats/atari_st/tos/TOSImageCreator.hpp"

#include "disk_image/formats/atari_st/tos/TOSBootSector.hpp"
#include "disk_image/formats/atari_st/tos/TOSFAT.hpp"

namespace zorv {

TOSImageCreator::TOSImageCreator(TOSMedia media, URL fileURL)
    : ImageCreatorRepresentable(
              PhysicalBlockFile(std::move(fileURL), TOSMediaLayout::of(media).imageSizeInBytes, defaultBlockSize),
              defaultBlockSize) {
    const TOSBootSector bootSector(media, blockSize);
    installBlock(0, bootSector.dataBlock());
    const ImageBytes table = TOSFAT(media).dataBlock();  // one buffer for both copies
    installBlock(bootSector.ressec, table);
    installBlock(bootSector.ressec + bootSector.spf, table);
}

}  // namespace zorv
