#include "disk_image/formats/amiga/adf/ADFDiskBitmapBlock.hpp"

#include "disk_image/formats/amiga/AmigaChecksum.hpp"
#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmapBlockError.hpp"

namespace zorv {

ADFDiskBitmapBlock::ADFDiskBitmapBlock(int64_t numberOfFreeBlockFlags) {
    if (numberOfFreeBlockFlags > flagsPerBlock) {
        throw ADFDiskBitmapBlockError(ADFDiskBitmapBlockError::Case::tooManyFreeBlockFlagsToAssign);
    }
    const int64_t fullGroups = numberOfFreeBlockFlags / 32;
    for (int64_t group = 0; group < fullGroups; ++group) blockFlagGroups[static_cast<size_t>(group)] = 0xFFFFFFFF;
    if (const int64_t rest = numberOfFreeBlockFlags % 32; rest > 0) {
        blockFlagGroups[static_cast<size_t>(fullGroups)] = (uint32_t{1} << rest) - 1;
    }
    updateChecksum();
}

ADFDiskBitmapBlock ADFDiskBitmapBlock::fromBlock(const ImageBytes& block) {
    AmigaReaderBlock reader(block.slice(0, 512));
    ADFDiskBitmapBlock bitmapBlock;
    bitmapBlock.checksum = reader.getLongInteger();
    for (auto& group : bitmapBlock.blockFlagGroups) group = static_cast<uint32_t>(reader.getLongInteger());
    return bitmapBlock;
}

bool ADFDiskBitmapBlock::isFree(int64_t flag) const {
    return (blockFlagGroups[static_cast<size_t>(flag / 32)] >> (flag % 32) & 1) != 0;
}

void ADFDiskBitmapBlock::markAsOccupied(int64_t flag) {
    blockFlagGroups[static_cast<size_t>(flag / 32)] &= ~(uint32_t{1} << (flag % 32));
    updateChecksum();
}

void ADFDiskBitmapBlock::updateChecksum() {
    checksum = 0;
    checksum = AmigaChecksum::blockChecksum(dataBlock());
}

std::vector<Bytes> ADFDiskBitmapBlock::dataBlockArray() const {
    return {longInteger(checksum), longIntegerArray(blockFlagGroups)};
}

}  // namespace zorv
