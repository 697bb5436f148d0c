#include "disk_image/formats/amiga/adf/ADFDiskFileHeaderBlock.hpp"

#include <algorithm>

#include "disk_image/formats/amiga/ADFDiskBlockType.hpp"
#include "disk_image/formats/amiga/ADFSecondaryType.hpp"
#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskEntryBlockError.hpp"

namespace zorv {

ADFDiskFileHeaderBlock::ADFDiskFileHeaderBlock(const ImageBytes& block) {
    const ADFDiskEntryBlockError invalid(ADFDiskEntryBlockError::Case::invalidFileHeaderBlock);
    AmigaReaderBlock reader(block.slice(0, 512));
    if (adfDiskBlockType(reader.getLongInteger()) != ADFDiskBlockType::T_HEADER) throw invalid;
    headerKey = reader.getLongInteger();
    highSeq = reader.getLongInteger();
    dataSize = reader.getLongInteger();
    firstData = reader.getLongInteger();
    checksum = reader.getLongInteger();
    for (auto& pointer : dataBlocks) pointer = reader.getLongInteger();
    reader.offset += 4;
    UID = reader.getInteger();
    GID = reader.getInteger();
    protect = reader.getLongInteger();
    byteSize = reader.getLongInteger();
    comment = reader.getBCPLString(80);
    reader.offset += 12;
    lastChange = reader.getAmigaDate();
    fileName = reader.getBCPLString(31);
    reader.offset += 1 + 4;
    realEntry = reader.getLongInteger();
    nextLink = reader.getLongInteger();
    reader.offset += 20;
    nextHash = reader.getLongInteger();
    parentDir = reader.getLongInteger();
    ext = reader.getLongInteger();
    if (adfSecondaryType(reader.getSignedLongInteger()) != ADFSecondaryType::ST_FILE) throw invalid;
}

std::vector<int64_t> ADFDiskFileHeaderBlock::dataBlockList() const {
    // A count above the table's 72 slots (damaged block) uses the table.
    const int64_t count = std::min(highSeq, dataBlockSlots);
    return {dataBlocks.rbegin(), dataBlocks.rbegin() + count};
}

}  // namespace zorv
