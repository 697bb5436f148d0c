#include "disk_image/formats/amiga/adf/ADFDiskGeometry.hpp"

#include "data_access/CheckedMath.hpp"

namespace zorv {

const ADFDiskGeometry ADFDiskGeometry::DDFloppy{80, 11, 2, floppyBlockSize};
const ADFDiskGeometry ADFDiskGeometry::HDFloppy{80, 22, 2, floppyBlockSize};

ADFDiskGeometry ADFDiskGeometry::hardfile(int64_t sizeInBytes, int64_t blockSize) {
    const int64_t blocks = blockSize > 0 ? sizeInBytes / blockSize : 0;
    return {blocks / hardfileSectorCount, hardfileSectorCount, 1, blockSize};
}

ADFDiskGeometry ADFDiskGeometry::forImage(int64_t sizeInBytes, const std::optional<ADFDiskGeometry>& given) {
    if (sizeInBytes == DDFloppy.totalBlocks() * floppyBlockSize) return DDFloppy;
    if (sizeInBytes == HDFloppy.totalBlocks() * floppyBlockSize) return HDFloppy;
    if (given) return *given;
    return hardfile(sizeInBytes, floppyBlockSize);
}

bool ADFDiskGeometry::isFloppy() const {
    return cylinderCount == 80 && (sectorCount == 11 || sectorCount == 22) && headCount == 2 &&
           blockSize == floppyBlockSize;
}

int64_t ADFDiskGeometry::totalBlocks() const {
    return checked::mul(checked::mul(cylinderCount, sectorCount), headCount);
}

int64_t ADFDiskGeometry::rootBlockNumber(int64_t blockCount, int64_t reservedBlocks) {
    return checked::sub(checked::add(reservedBlocks, blockCount), 1) / 2;
}

int64_t ADFDiskGeometry::rootBlock(int64_t reservedBlocks) const {
    return rootBlockNumber(totalBlocks(), reservedBlocks);
}

std::vector<int64_t> ADFDiskGeometry::rootBlockCandidates(int64_t reservedBlocks) const {
    const int64_t root = rootBlock(reservedBlocks);
    // Images written by tools that put every floppy's root at 880 and other
    // volumes' at T div 2.
    const int64_t alternative = *this == HDFloppy ? DDFloppy.rootBlock() : totalBlocks() / 2;
    if (alternative == root) return {root};
    return {root, alternative};
}

}  // namespace zorv
