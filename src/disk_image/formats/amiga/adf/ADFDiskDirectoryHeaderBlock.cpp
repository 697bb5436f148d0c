#include "disk_image/formats/amiga/adf/ADFDiskDirectoryHeaderBlock.hpp"

#include "disk_image/formats/amiga/ADFDiskBlockType.hpp"
#include "disk_image/formats/amiga/ADFSecondaryType.hpp"
#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskEntryBlockError.hpp"

namespace zorv {

ADFDiskDirectoryHeaderBlock::ADFDiskDirectoryHeaderBlock(const ImageBytes& block) {
    const ADFDiskEntryBlockError invalid(ADFDiskEntryBlockError::Case::invalidDirectoryHeaderBlock);
    AmigaReaderBlock reader(block.slice(0, 512));
    if (adfDiskBlockType(reader.getLongInteger()) != ADFDiskBlockType::T_HEADER) throw invalid;
    headerKey = reader.getLongInteger();
    reader.offset += 12;
    checksum = reader.getLongInteger();
    for (auto& slot : ht) slot = reader.getLongInteger();
    reader.offset += 4;
    UID = reader.getInteger();
    GID = reader.getInteger();
    protect = reader.getLongInteger();
    reader.offset += 4;
    comment = reader.getBCPLString(80);
    reader.offset += 12;
    lastAccess = reader.getAmigaDate();
    dirName = reader.getBCPLString(31);
    reader.offset += 1 + 8;
    nextLink = reader.getLongInteger();
    reader.offset += 20;
    nextHash = reader.getLongInteger();
    parentDir = reader.getLongInteger();
    ext = reader.getLongInteger();
    if (adfSecondaryType(reader.getSignedLongInteger()) != ADFSecondaryType::ST_USERDIR) throw invalid;
}

}  // namespace zorv
