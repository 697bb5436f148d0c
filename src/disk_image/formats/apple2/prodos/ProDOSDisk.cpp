#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"

#include <algorithm>

#include "data_access/CheckedMath.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSBlock.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSBoostrap.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDiskError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeBitmap.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeader.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeaderError.hpp"

namespace zorv {

ProDOSDisk::ProDOSDisk(ImageBytes data, bool proDOSOrder)
    : BlockStructureDefinable(proDOSBlockSize, std::move(data)), proDOSOrder(proDOSOrder) {}

ProDOSDisk::ProDOSDisk(ImageBytes block) : BlockStructureDefinable(proDOSBlockSize, std::move(block)) {
    if (sizeInBlocks() < minimumBlocks) {
        throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
    }
    const ProDOSBlock directoryBlock(getBlockAtPosition(volumeDirectoryBlock));
    try {
        static_cast<void>(ProDOSVolumeDirectoryHeader(directoryBlock.blockData));
        proDOSOrder = true;
    } catch (const ProDOSVolumeDirectoryHeaderError&) {
        proDOSOrder = false;
    }
}

ProDOSDisk ProDOSDisk::blankDisk(int64_t sizeInBlocks) {
    if (sizeInBlocks < minimumBlankVolumeBlocks) throw ProDOSDiskError(ProDOSDiskError::Case::volumeTooSmall);
    if (sizeInBlocks > maximumBlankVolumeBlocks) throw ProDOSDiskError(ProDOSDiskError::Case::volumeTooLarge);

    Bytes image(static_cast<size_t>(sizeInBlocks * proDOSBlockSize), 0);
    const auto place = [&image](int64_t block, const Bytes& bytes) {
        std::copy(bytes.begin(), bytes.end(), image.begin() + block * proDOSBlockSize);
    };
    std::copy(ProDOSBoostrap::bytes.begin(), ProDOSBoostrap::bytes.end(), image.begin());

    ProDOSVolumeDirectoryHeader header;
    header.totalBlocks = sizeInBlocks;
    place(volumeDirectoryBlock, ProDOSBlock(0, 3, ImageBytes(header.dataBlock())).dataBlock());
    // The rest of the directory chain; the last four bytes of each block stay zero.
    const ImageBytes noEntries(Bytes(504, 0));
    place(3, ProDOSBlock(2, 4, noEntries).dataBlock());
    place(4, ProDOSBlock(3, 5, noEntries).dataBlock());
    place(5, ProDOSBlock(4, 0, noEntries).dataBlock());

    place(ProDOSVolumeBitmap::firstBitmapBlock, ProDOSVolumeBitmap(sizeInBlocks).bitmapData);
    return ProDOSDisk(ImageBytes(std::move(image)), true);
}

bool ProDOSDisk::hasProDOSBlock(int64_t block) const { return block >= 0 && block < proDOSBlockCount(); }

int64_t ProDOSDisk::proDOSBlockCount() const {
    if (proDOSOrder) return sizeInBlocks();
    return sizeInBytes() / trackSize * blocksPerTrack;
}

ImageBytes ProDOSDisk::getProDOSBlock(int64_t block) const {
    if (!hasProDOSBlock(block)) return {};
    if (proDOSOrder) return structureData.slice(block * proDOSBlockSize, proDOSBlockSize);
    const int64_t track = block / blocksPerTrack;
    const auto [first, second] = SectorPairs[static_cast<size_t>(block % blocksPerTrack)];
    ImageBytes halves = getProDOSSector(first, track);
    halves.append(getProDOSSector(second, track));
    return halves;
}

ImageBytes ProDOSDisk::getProDOSSector(int64_t physicalSector, int64_t track) const {
    const auto* found = std::find(SectorOrder.begin(), SectorOrder.end(), physicalSector);
    if (found == SectorOrder.end()) return {};
    const int64_t logicalSector = found - SectorOrder.begin();
    const int64_t start = checked::add(checked::mul(track, trackSize), logicalSector * sectorSize);
    if (!checked::rangeFits(start, sectorSize, sizeInBytes())) return {};
    return structureData.slice(start, sectorSize);
}

ImageBytes ProDOSDisk::dataInDiskOrder() const {
    if (proDOSOrder) return structureData.slice(0, sizeInBlocks() * proDOSBlockSize);
    const int64_t blocks = proDOSBlockCount();
    Bytes ordered;
    ordered.reserve(static_cast<size_t>(blocks * proDOSBlockSize));
    for (int64_t block = 0; block < blocks; ++block) {
        const ImageBytes bytes = getProDOSBlock(block);
        ordered.insert(ordered.end(), bytes.begin(), bytes.end());
    }
    return ImageBytes(std::move(ordered));
}

}  // namespace zorv
