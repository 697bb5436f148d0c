#include "disk_image/formats/amiga/adf/ADFDiskFileExtensionBlock.hpp"

#include <algorithm>

#include "disk_image/formats/amiga/ADFDiskBlockType.hpp"
#include "disk_image/formats/amiga/ADFSecondaryType.hpp"
#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskEntryBlockError.hpp"

namespace zorv {

ADFDiskFileExtensionBlock::ADFDiskFileExtensionBlock(const ImageBytes& block) {
    const ADFDiskEntryBlockError invalid(ADFDiskEntryBlockError::Case::invalidExtensionBlock);
    AmigaReaderBlock reader(block.slice(0, 512));
    if (adfDiskBlockType(reader.getLongInteger()) != ADFDiskBlockType::T_LIST) throw invalid;
    headerKey = reader.getLongInteger();
    highSeq = reader.getLongInteger();
    reader.offset += 8;
    checksum = reader.getLongInteger();
    for (auto& pointer : dataBlocks) pointer = reader.getLongInteger();
    reader.offset = 500;
    parent = reader.getLongInteger();
    ext = reader.getLongInteger();
    if (adfSecondaryType(reader.getSignedLongInteger()) != ADFSecondaryType::ST_FILE) throw invalid;
}

std::vector<int64_t> ADFDiskFileExtensionBlock::dataBlockList() const {
    const int64_t count = std::min(highSeq, dataBlockSlots);
    return {dataBlocks.rbegin(), dataBlocks.rbegin() + count};
}

}  // namespace zorv
