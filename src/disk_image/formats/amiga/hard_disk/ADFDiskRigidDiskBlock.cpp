#include "disk_image/formats/amiga/hard_disk/ADFDiskRigidDiskBlock.hpp"

#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"

namespace zorv {
namespace {

constexpr int64_t longSize = 4;

}  // namespace

ADFDiskRigidDiskBlock::ADFDiskRigidDiskBlock(const ImageBytes& block) {
    AmigaReaderBlock reader(block.slice(0, readSize));
    id = reader.getPackedString(4);
    sizeInLongs = reader.getLongInteger();
    checksum = reader.getLongInteger();
    hostID = reader.getLongInteger();
    blockBytes = reader.getLongInteger();
    flags = reader.getLongInteger();
    badBlockList = reader.getSignedLongInteger();
    partitionList = reader.getSignedLongInteger();
    fileSysHeaderList = reader.getSignedLongInteger();
    driveInit = reader.getSignedLongInteger();
    reader.offset += 6 * longSize;
    cylinders = reader.getLongInteger();
    sectors = reader.getLongInteger();
    heads = reader.getLongInteger();
    interleave = reader.getLongInteger();
    park = reader.getLongInteger();
    reader.offset += 3 * longSize;
    writePreComp = reader.getLongInteger();
    reducedWrite = reader.getLongInteger();
    stepRate = reader.getLongInteger();
    reader.offset += 5 * longSize;
    rdbBlocksLo = reader.getLongInteger();
    rdbBlocksHi = reader.getLongInteger();
    loCylinder = reader.getLongInteger();
    hiCylinder = reader.getLongInteger();
    cylBlocks = reader.getLongInteger();
    autoParkSeconds = reader.getLongInteger();
    highRDSKBlock = reader.getLongInteger();
    reader.offset += longSize;
    diskVendor = reader.getPackedString(8);
    diskProduct = reader.getPackedString(16);
    diskRevision = reader.getPackedString(4);
    controllerVendor = reader.getPackedString(8);
    controllerProduct = reader.getPackedString(16);
    controllerRevision = reader.getPackedString(4);
}

}  // namespace zorv
