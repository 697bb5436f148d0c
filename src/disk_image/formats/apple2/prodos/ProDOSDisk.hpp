#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"

namespace zorv {

// The block layer under a ProDOS volume: a whole image in memory, in one of
// the two orders Apple II images store their 256-byte sectors in, handing out
// 512-byte ProDOS blocks in either case.
//
// - ProDOS order (.po, .2mg of format 1, Apple_PRODOS partitions): block n is
//   bytes n * 512 to (n + 1) * 512.
// - DOS order (.do, .dsk of 5.25-inch disks): track t is bytes t * 4,096 to
//   (t + 1) * 4,096, sixteen sectors in DOS 3.3 logical order; the two halves
//   of block n lie in two sectors of track n / 8 (SectorOrder, SectorPairs).
//
// The order is decided once, when the image is opened, and structureData
// stays as given: only getProDOSBlock() and dataInDiskOrder() honour
// proDOSOrder; the BlockStructureDefinable operations address the bytes as
// stored.
//
// It also makes blank ProDOS volumes (blankDisk()).
class ProDOSDisk : public BlockStructureDefinable {
public:
    static constexpr int64_t proDOSBlockSize = 512;
    static constexpr int64_t sectorSize = 256;
    static constexpr int64_t trackSize = 4096;
    static constexpr int64_t blocksPerTrack = 8;
    // The volume directory starts here in every ProDOS volume.
    static constexpr int64_t volumeDirectoryBlock = 2;
    // An image must hold the blocks up to the volume directory's first.
    static constexpr int64_t minimumBlocks = 3;
    // Boot blocks, four directory blocks and one bitmap block.
    static constexpr int64_t minimumBlankVolumeBlocks = 7;
    // The volume header counts blocks in 16 bits.
    static constexpr int64_t maximumBlankVolumeBlocks = 65535;

    // By DOS logical sector, the physical sector that holds it.
    static constexpr std::array<int64_t, 16> SectorOrder{0, 13, 11, 9, 7, 5, 3, 1, 14, 12, 10, 8, 6, 4, 2, 15};
    // By position of a block in its track (block mod 8), the physical sectors
    // of its first and second halves.
    static constexpr std::array<std::pair<int64_t, int64_t>, 8> SectorPairs{
            {{0, 2}, {4, 6}, {8, 10}, {12, 14}, {1, 3}, {5, 7}, {9, 11}, {13, 15}}};

    bool proDOSOrder = true;

    // Opens an image and decides its order: ProDOS order when bytes 1,028 to
    // 1,066 (the first entry of block 2 as ProDOS order stores it) read as a
    // volume directory header (storage nibble 0xF, an ASCII name field), DOS
    // order otherwise. Nothing else is checked; whether the image holds a
    // ProDOS volume is ProDOSVolume's question. Throws
    // BlockStructureDefinableError::unreacheableBlock for fewer than 3 blocks
    // (1,536 bytes).
    explicit ProDOSDisk(ImageBytes block);

    // A blank volume of `sizeInBlocks` blocks in ProDOS order: the boot loader
    // (ProDOSBoostrap) in blocks 0-1, a volume directory named "UNTITLED" in
    // the chain 2 -> 3 -> 4 -> 5, the volume bitmap from block 6
    // (ProDOSVolumeBitmap), every other block free and zero. The header's
    // creation date is left zero. Throws ProDOSDiskError::volumeTooSmall
    // below 7 blocks and ::volumeTooLarge above 65,535.
    static ProDOSDisk blankDisk(int64_t sizeInBlocks);

    // Whether the image holds ProDOS block n whole. In DOS order only whole
    // tracks count: the blocks of a last, partial track are not held.
    bool hasProDOSBlock(int64_t block) const;
    // The number of ProDOS blocks held (those from 0 up to it).
    int64_t proDOSBlockCount() const;
    // The 512 bytes of ProDOS block n in the disk's order (a slice of the
    // image in ProDOS order); empty when the image does not hold it.
    ImageBytes getProDOSBlock(int64_t block) const;
    // The held blocks in ProDOS block order, from block 0: a slice of the
    // image in ProDOS order (less a trailing partial block), a rearranged
    // copy in DOS order.
    ImageBytes dataInDiskOrder() const;

private:
    ProDOSDisk(ImageBytes data, bool proDOSOrder);

    // The 256 bytes of a physical sector of a track of a DOS-order image;
    // empty when the image does not hold them.
    ImageBytes getProDOSSector(int64_t physicalSector, int64_t track) const;
};

}  // namespace zorv
