#include "disk_image/formats/amiga/adf/ADFDiskBootBlock.hpp"

#include <algorithm>

#include "disk_image/formats/amiga/AmigaChecksum.hpp"
#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"
#include "disk_image/formats/amiga/adf/AmigaBootBlockCode.hpp"

namespace zorv {

ADFDiskBootBlock::ADFDiskBootBlock(const ImageBytes& block) {
    AmigaReaderBlock reader(block.slice(0, size));
    reader.getAndCheckSignature(AmigaDOSSignature, ADFDiskError(ADFDiskError::Case::invalidBootBlock));
    flags = reader.getUnsignedByte();
    checksum = reader.getLongInteger();
    rootBlockLocation = reader.getLongInteger();
    bootCode = reader.getDataBlock(bootCodeSize);
}

ADFDiskBootBlock ADFDiskBootBlock::blankBootBlock(bool bootable, int64_t rootBlockLocation) {
    ADFDiskBootBlock block;
    if (!bootable) return block;
    block.rootBlockLocation = rootBlockLocation;
    block.bootCode = ImageBytes::copyOf(AmigaBootBlockCode::bytes);
    block.checksum = AmigaChecksum::bootBlockChecksum(block.dataBlock());
    return block;
}

ADFDiskBootBlock::ADFFileSystemMode ADFDiskBootBlock::fileSystem() const {
    return flags == 1 || flags == 3 || flags == 5 ? ADFFileSystemMode::FFS : ADFFileSystemMode::OFS;
}

std::vector<Bytes> ADFDiskBootBlock::dataBlockArray() const {
    Bytes code(bootCode.begin(), bootCode.begin() + std::min<int64_t>(bootCodeSize, std::ssize(bootCode)));
    code.resize(bootCodeSize, 0);
    return {Bytes(AmigaDOSSignature.begin(), AmigaDOSSignature.end()), signedByte(flags), longInteger(checksum),
            longInteger(rootBlockLocation), std::move(code)};
}

}  // namespace zorv
