#include "disk_image/formats/amiga/adf/ADFDiskFileDataBlockOFS.hpp"

#include "disk_image/formats/amiga/ADFDiskBlockType.hpp"
#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskEntryBlockError.hpp"

namespace zorv {

ADFDiskFileDataBlockOFS::ADFDiskFileDataBlockOFS(const ImageBytes& block) {
    AmigaReaderBlock reader(block.slice(0, 512));
    if (adfDiskBlockType(reader.getLongInteger()) != ADFDiskBlockType::T_DATA) {
        throw ADFDiskEntryBlockError(ADFDiskEntryBlockError::Case::invalidDataBlock);
    }
    headerKey = reader.getLongInteger();
    seqNum = reader.getLongInteger();
    dataSize = reader.getLongInteger();
    nextData = reader.getLongInteger();
    checksum = reader.getLongInteger();
    data = reader.getDataBlock(payloadSize);
}

}  // namespace zorv
