#include "disk_image/formats/amiga/hard_disk/ADFDiskPartition.hpp"

#include "data_access/CheckedMath.hpp"
#include "data_access/Errors.hpp"
#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"

namespace zorv {
namespace {

constexpr int64_t longSize = 4;
constexpr int64_t driveNameFieldSize = 32;
constexpr int64_t serialisedSize = 512;

}  // namespace

ADFDiskPartition::ADFDiskPartition(const ImageBytes& block, const ADFDiskGeometry& driveGeometry) {
    AmigaReaderBlock reader(block.slice(0, readSize));
    id = reader.getPackedString(4);
    sizeInLongs = reader.getLongInteger();
    checksum = reader.getLongInteger();
    hostID = reader.getLongInteger();
    next = reader.getSignedLongInteger();
    flags = reader.getLongInteger();
    reader.offset += 2 * longSize;
    devFlags = reader.getLongInteger();
    driveName = reader.getBCPLString(driveNameFieldSize);
    reader.offset += 15 * longSize;
    sizeOfVector = reader.getLongInteger();
    blockSize = reader.getLongInteger() * longSize;
    secOrg = reader.getLongInteger();
    surfaces = reader.getLongInteger();
    sectorsPerBlock = reader.getLongInteger();
    blocksPerTrack = reader.getLongInteger();
    reservedBlocks = reader.getLongInteger();
    preAlloc = reader.getLongInteger();
    interleave = reader.getLongInteger();
    lowCyl = reader.getLongInteger();
    hiCyl = reader.getLongInteger();
    numBuffer = reader.getLongInteger();
    bufMemType = reader.getLongInteger();
    maxTransfer = reader.getLongInteger();
    mask = reader.getLongInteger();
    bootPri = reader.getLongInteger();
    dosType = reader.getPackedString(4);
    baud = reader.getLongInteger();
    control = reader.getLongInteger();
    bootBlocks = reader.getLongInteger();

    // AmigaDOS mounts the partition with its own environment; the drive's
    // values only stand in for an environment that leaves them out.
    const bool ownLayout = surfaces != 0 && blocksPerTrack != 0;
    geometry = ADFDiskGeometry{hiCyl >= lowCyl ? hiCyl - lowCyl + 1 : 0,
                               ownLayout ? blocksPerTrack : driveGeometry.sectorCount,
                               ownLayout ? surfaces : driveGeometry.headCount, driveGeometry.blockSize};
    try {
        startBlock_ = checked::mul(checked::mul(lowCyl, geometry.sectorCount), geometry.headCount);
        sizeInBlocks_ = geometry.totalBlocks();
        sizeInBytes_ = checked::mul(sizeInBlocks_, geometry.blockSize);
        checked::add(startBlock_, sizeInBlocks_);
    } catch (const ArithmeticOverflowError&) {
        throw ADFDiskError(ADFDiskError::Case::invalidGeometryInHardDrive);
    }
}

int64_t ADFDiskPartition::volumeReservedBlocks() const {
    return reservedBlocks == 0 ? ADFDiskGeometry::defaultReservedBlocks : reservedBlocks;
}

std::vector<Bytes> ADFDiskPartition::dataBlockArray() const { return {Bytes(serialisedSize, 0)}; }

std::string ADFDiskPartition::partitionTypeLabel() const {
    if (associatedVolume_) {
        std::string name = associatedVolume_->volumeName();
        if (!name.empty()) return name;
    }
    return driveName;
}

}  // namespace zorv
